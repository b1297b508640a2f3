#include "builder/contract_name.h"

namespace qv::builder {

int substitute_contract_into_name(std::string& output_name, const std::vector<std::string>& input_lines,
                                  const BuildContext& context, bool& substituted) {
    (void)output_name;
    (void)input_lines;
    (void)context;
    substituted = false;
    return 0;
}

}  // namespace qv::builder
