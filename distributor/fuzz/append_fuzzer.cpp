// An update file of any content carried into the user's files: the input is
// the update file, optionally followed by "\n%%\n" and the text of the ASCII
// file that the first contract of the sample lines below already has, and,
// after a second "\n%%\n", the bytes of the MASTER file of its MetaStock
// folder. The contract key of every update line loses the characters that
// could lead out of the fuzzer's folder ("." "/" "\" ":"), since a key names
// folders and files. What must hold: no crash, no sanitizer report, no read
// past a buffer, whatever the files say.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/platform/console.h"
#include "common/platform/program_end.h"
#include "common/tables.h"
#include "common/platform/text.h"
#include "common/tool.h"
#include "distributor/ascii_append.h"
#include "distributor/distribution.h"
#include "distributor/meta_append.h"
#include "fuzz/fuzz_install.h"

namespace {

namespace fs = std::filesystem;

using qv::fuzzing::write_fuzz_file;

std::string confined_update_file(std::string_view text) {
    std::string confined(text);
    std::size_t line_start = 0;
    while (line_start < confined.size()) {
        const std::size_t key_end = std::min(line_start + 6, confined.size());
        for (std::size_t i = line_start; i < key_end && confined[i] != '\n'; ++i) {
            if (std::string_view("./\\:").find(confined[i]) != std::string_view::npos) confined[i] = '_';
        }
        const std::size_t end = confined.find('\n', line_start);
        if (end == std::string::npos) break;
        line_start = end + 1;
    }
    return confined;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static qv::SilentConsole silent;
    static qv::ScopedConsole scope(silent);
    static const fs::path& root = qv::fuzzing::fuzz_installation("dfanout-fuzz");
    static const qv::CommodityTable commodities = [] {
        qv::CommodityTable table = qv::load_tables(qv::distributor_profile.tables);
        return table;
    }();

    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> parts;
    for (std::size_t marker; parts.size() < 2 && (marker = text.find("\n%%\n")) != std::string_view::npos;) {
        parts.push_back(text.substr(0, marker));
        text.remove_prefix(marker + 4);
    }
    parts.push_back(text);

    // The user's files of the contract W_ March 2021, as an earlier run or
    // another program left them.
    fs::remove_all(root / "ASCII");
    fs::remove_all(root / "META");
    if (parts.size() > 1) write_fuzz_file(root / "ASCII" / "W_" / "W_H21.TXT", parts[1]);
    if (parts.size() > 2) write_fuzz_file(root / "META" / "W_" / "MASTER", parts[2]);
    const fs::path update = root / "UPDATES" / "EU201207.CLC";
    write_fuzz_file(update, confined_update_file(parts[0]));

    for (const char* format : {"1CCN", "5TTY", "8SNN", "3CXN"}) {
        qv::distributor::DistributorSettings settings;
        settings.extended_contracts = 'B';
        settings.ascii_path = "\\QUORVANT\\ASCII\\";
        settings.meta_path = "\\QUORVANT\\META\\";
        settings.ascii_mask = "TTMYY.TXT";
        settings.meta_mask = "TTMYY";
        settings.data_format = format;
        qv::distributor::Distribution run{settings, commodities};
        run.header_flag = format[0] == '5';
        try {
            (void)qv::distributor::append_ascii_updates(update.string(), run);
            (void)qv::distributor::append_meta_updates(update.string(), run);
        } catch (const qv::ProgramEnd&) {
        }
    }
    return 0;
}
