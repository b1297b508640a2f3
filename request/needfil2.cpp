#include "request/needfil2.h"

#include <cstdio>
#include <string_view>

#include "common/install_files.h"
#include "common/messages.h"
#include "common/platform/process.h"
#include "common/platform/text.h"
#include "common/tool.h"
#include "common/platform/work_file.h"

namespace qv::request {

namespace {

bool write_needfil2(std::string_view text) {
    WorkFile work(install::request_work_file, install::request_file);
    if (!work.is_open()) return false;
    std::fwrite(text.data(), 1, text.size(), work.file());
    return work.commit();
}

}  // namespace

std::string needfil2_text(const RequestList& list, const Settings& settings) {
    std::string text;
    // The vendor's current dial-in line, the one the settings' dial-number rule uses first.
    text.append(vendor_dial_in_lines[0]).append("\n");
    text += to_lower(settings.user_id) + "\n";
    text += to_lower(settings.user_password) + "\n";
    text += "system.msg\n";
    for (const RequestEntry& entry : list.entries()) {
        if (entry.status != requested) continue;
        std::string name = to_lower(entry.name);
        if (name.starts_with("ex") && name.substr(6, 2) == "00") name.replace(0, 2, "eu");
        text += name + "\n";
    }
    return text;
}

void create_needfil2(const RequestList& list, const Settings& settings) {
    const std::string text = needfil2_text(list, settings);
    if (write_needfil2(text)) return;
    run_command("attrib -r \\quorvant\\needfil2.txt");
    if (!write_needfil2(text)) fatal_error(request_profile, "ERROR-UNABLE TO CREATE THE FILE NEEDFIL2.TXT");
}

}  // namespace qv::request
