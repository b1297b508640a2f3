#include "clcconv/clcconv.h"

#include "common/platform/files.h"

namespace qv::clcconv {

std::string temp_file(std::string_view tag, std::string_view extension) {
    std::string path(temp_folder);
    path += '\\';
    path.append(tag.substr(0, 2));
    path += "_CLC";
    path.append(extension);
    return path;
}

UnfinishedFile::~UnfinishedFile() {
    if (!finished_) delete_file(path_);
}

}  // namespace qv::clcconv
