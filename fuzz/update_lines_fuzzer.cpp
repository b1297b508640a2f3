// Update files as the vendor (or a damaged download) might deliver them: the
// name rules, the header and bulletin skipping, and the CLC, COT and IDX line
// readers run over arbitrary bytes. The first byte chooses the database kind.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "common/update_file.h"
#include "common/update_lines.h"

namespace {

std::filesystem::path install;

void check_name(std::string_view name) {
    if (const auto parsed = qv::parse_update_file_name(name)) {
        (void)parsed->kind();
        (void)parsed->day();
        (void)parsed->in_state('_');
    }
    // A name taken from a file's content must never carry a separator.
    for (const auto& taken : {qv::header_file_name(name), qv::bulletin_file_name(name)})
        if (taken && (!qv::is_proper_update_file_name(*taken) || taken->find_first_of("/\\") != std::string::npos))
            std::abort();
}

void read_records(qv::UpdateLineSource& source, qv::DatabaseKind kind) {
    source.skip_header();
    qv::UpdateRecordReader reader(source, kind);
    while (const auto tag = reader.next_tag()) {
        qv::UpdateRead read = qv::UpdateRead::record;
        while (read == qv::UpdateRead::record) {
            switch (kind) {
            case qv::DatabaseKind::clc: {
                qv::ClcUpdateRecord record;
                read = reader.read_clc(*tag, record);
                if (read == qv::UpdateRead::record) (void)record.line.day_number();
                break;
            }
            case qv::DatabaseKind::cot: {
                qv::CotUpdateLine record;
                read = reader.read_cot(*tag, record);
                if (read == qv::UpdateRead::record) (void)record.day_number();
                break;
            }
            case qv::DatabaseKind::idx: {
                qv::IdxUpdateLine record;
                read = reader.read_idx(*tag, record);
                if (read == qv::UpdateRead::record && !record.date_only && record.text.size() < 8) std::abort();
                break;
            }
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char pattern[] = "/tmp/qv-fuzz-update-XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    install = pattern;
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(install, ignored);
    });
    std::filesystem::create_directories(install / "UPDATES");
    setenv("QUORVANT_ROOT", pattern, 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const auto kind = static_cast<qv::DatabaseKind>(data[0] % 3);
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);

    check_name(text.substr(0, 13));
    qv::ClcUpdateLine clc;
    qv::CotUpdateLine cot;
    qv::IdxUpdateLine idx;
    (void)qv::parse_clc_line(text, false, clc);
    (void)qv::parse_cot_line(text, false, cot);
    (void)qv::parse_idx_line(text, data[0] & 4, idx);

    // The readers work on an open file; one in memory spares the disk.
    std::string content(text);
    if (std::FILE* memory = fmemopen(content.data(), content.size(), "r")) {
        qv::UpdateLineSource source(qv::FilePtr(memory), qv::update_line_length(kind));
        read_records(source, kind);
    }

    // The readers that open a file by name: one input in four.
    if (size % 4 != 0) return 0;
    std::ofstream(install / "UPDATES" / "DB201207.CLC", std::ios::binary | std::ios::trunc)
        .write(text.data(), static_cast<std::streamsize>(text.size()));
    const qv::BroadcastLines broadcast = qv::read_broadcast_lines("DB201207.CLC");
    if (broadcast.lines.size() > qv::broadcast_line_limit) std::abort();
    (void)qv::read_header_file_name("\\QUORVANT\\UPDATES\\DB201207.CLC");
    return 0;
}
