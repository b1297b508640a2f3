// The arithmetic functions: abs, int, max, min, average, random, the float
// functions of the C library, and the number tests isint, isfloat, isnumber.
// A floating-point exception of the library becomes its error (1341-1351).
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <ctime>

#include "scriptlib/calls.h"
#include "scriptlib/families.h"

namespace qsl {
namespace {

void absolute(Call& call) {
    uint32_t n = uint32_t(call.integer(0));
    call.out.set_int(int32_t(call.integer(0) < 0 ? 0u - n : n));
}

// The argument is already an integer, a float rounded half away from zero.
void integer(Call& call) { call.out.set_int(call.integer(0)); }

// The arguments of max, min and average as numbers: at least one, each an
// integer or a float (3057 for anything else).
void read_numbers(Call& call, std::vector<Value>& args) {
    read_any_arguments(call.c, args);
    if (args.empty()) fail(errors::wrong_argument_count);
    for (Value& v : args) {
        if (v.is_numeric()) continue;
        if (!v.is_string() || v.is_object() || (!to_integer(v) && !to_float(v))) fail(errors::not_a_number);
    }
}

double as_double(const Value& v) { return v.is_int() ? double(v.r.int_value) : v.r.float_value; }

// Max and Min answer an integer when every argument is one, else a float.
void extreme(Call& call, bool largest) {
    ArgumentList list;
    std::vector<Value>& args = list.values();
    read_numbers(call, args);
    bool all_int = true;
    double best = as_double(args[0]);
    for (const Value& v : args) {
        all_int = all_int && v.is_int();
        double x = as_double(v);
        if (largest ? x > best : x < best) best = x;
    }
    if (all_int) call.out.set_int(int32_t(best));
    else call.out.set_float(best);
}

void maximum(Call& call) { extreme(call, true); }
void minimum(Call& call) { extreme(call, false); }

void average(Call& call) {
    ArgumentList list;
    std::vector<Value>& args = list.values();
    read_numbers(call, args);
    double sum = 0;
    for (const Value& v : args) sum += as_double(v);
    call.out.set_float(sum / double(args.size()));
}

// Random(n): an integer from 0 to n.
void random_number(Call& call) {
    thread_local uint64_t state = uint64_t(std::time(nullptr)) * 0x9E3779B97F4A7C15ull | 1;
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    int32_t n = call.integer(0);
    call.out.set_int(n <= 0 ? 0 : int32_t(state % (uint64_t(n) + 1)));
}

// Runs a function of the C library and turns the exception it raised into
// the error of that kind.
void float_result(Call& call, double (*function)(double)) {
    std::feclearexcept(FE_ALL_EXCEPT);
    double result = function(call.real(0));
    int raised = std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW | FE_UNDERFLOW);
    if (raised & FE_INVALID || std::isnan(result)) fail(errors::fp_domain);
    if (raised & FE_DIVBYZERO) fail(errors::fp_singularity);
    if (raised & FE_OVERFLOW || std::isinf(result)) fail(errors::fp_overflow);
    if (raised & FE_UNDERFLOW && result == 0.0) fail(errors::fp_underflow);
    call.out.set_float(result);
}

template <double (*function)(double)>
void library_function(Call& call) {
    float_result(call, function);
}

double sin_(double x) { return std::sin(x); }
double cos_(double x) { return std::cos(x); }
double tan_(double x) { return std::tan(x); }
double asin_(double x) { return std::asin(x); }
double acos_(double x) { return std::acos(x); }
double atan_(double x) { return std::atan(x); }
double sinh_(double x) { return std::sinh(x); }
double cosh_(double x) { return std::cosh(x); }
double tanh_(double x) { return std::tanh(x); }
double exp_(double x) { return std::exp(x); }
double log_(double x) { return std::log(x); }
double log10_(double x) { return std::log10(x); }
double sqrt_(double x) { return std::sqrt(x); }
double fabs_(double x) { return std::fabs(x); }
double floor_(double x) { return std::floor(x); }
double ceil_(double x) { return std::ceil(x); }

void is_int(Call& call) {
    int32_t n;
    call.out.set_int(string_to_integer(call.args[0].text(), n));
}

void is_float(Call& call) {
    double f;
    call.out.set_int(string_to_float(call.args[0].text(), f));
}

void is_number(Call& call) {
    int32_t n;
    double f;
    const char* text = call.args[0].text();
    call.out.set_int(string_to_integer(text, n) || string_to_float(text, f));
}

const Builtin functions[] = {
    {"abs", absolute},
    {"acos", library_function<acos_>},
    {"asin", library_function<asin_>},
    {"atan", library_function<atan_>},
    {"average", average},
    {"ceiling", library_function<ceil_>},
    {"cos", library_function<cos_>},
    {"cosh", library_function<cosh_>},
    {"exp", library_function<exp_>},
    {"fabs", library_function<fabs_>},
    {"floor", library_function<floor_>},
    {"int", integer},
    {"isfloat", is_float},
    {"isint", is_int},
    {"isnumber", is_number},
    {"log10", library_function<log10_>},
    {"loge", library_function<log_>},
    {"max", maximum},
    {"min", minimum},
    {"random", random_number},
    {"sin", library_function<sin_>},
    {"sinh", library_function<sinh_>},
    {"sqrt", library_function<sqrt_>},
    {"tan", library_function<tan_>},
    {"tanh", library_function<tanh_>},
};

[[maybe_unused]] const bool registered = register_family(functions);

}  // namespace
}  // namespace qsl
