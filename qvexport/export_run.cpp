#include "qvexport/export_run.h"

#include <cstdio>
#include <optional>

#include "common/platform/paths.h"
#include "common/platform/text.h"
#include "qvexport/csv_export.h"
#include "qvexport/sqlite.h"
#include "qvexport/sqlite_export.h"

namespace qv::qvexport {

const char* const usage =
    "Usage: qvexport --sqlite FILE [TAG...]\n"
    "       qvexport --csv FOLDER [TAG...]\n"
    "\n"
    "Exports the installation's database (CLC prices and roll-overs, COT reports,\n"
    "IDX lines) of every commodity of TABLES.INI, or of the tags named, into a\n"
    "SQLite file (added to and corrected in one transaction on every later run)\n"
    "or into CSV files, one per commodity and database. The installation is\n"
    "$QUORVANT_ROOT, else the working directory.\n";

std::optional<ExportRequest> read_arguments(const std::vector<std::string>& args, std::string& error) {
    ExportRequest request;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--sqlite" || arg == "--csv") {
            if (i + 1 >= args.size()) {
                error = arg + " needs a file or folder";
                return std::nullopt;
            }
            (arg == "--sqlite" ? request.sqlite_file : request.csv_folder) = args[++i];
        } else if (!arg.empty() && arg[0] == '-') {
            error = "unknown option " + arg;
            return std::nullopt;
        } else {
            request.tags.push_back(to_upper(arg));
        }
    }
    if (request.sqlite_file.empty() && request.csv_folder.empty()) {
        error = "nothing to do: give --sqlite FILE or --csv FOLDER";
        return std::nullopt;
    }
    return request;
}

namespace {

std::optional<std::vector<const Commodity*>> select_commodities(const ExportRequest& request,
                                                                const CommodityTable& table) {
    std::vector<const Commodity*> selected;
    if (request.tags.empty()) {
        for (const Commodity& commodity : table.rows()) selected.push_back(&commodity);
        return selected;
    }
    for (const std::string& tag : request.tags) {
        const Commodity* commodity = table.find_no_case(tag);
        if (!commodity) {
            std::fprintf(stderr, "qvexport: %s is not a commodity of TABLES.INI\n", tag.c_str());
            return std::nullopt;
        }
        selected.push_back(commodity);
    }
    return selected;
}

}  // namespace

int run_export(const ExportRequest& request, const CommodityTable& table) {
    const auto selected = select_commodities(request, table);
    if (!selected) return 1;
    std::vector<std::string> problems;
    int status = 0;
    if (!request.sqlite_file.empty()) {
        const std::string path = translate_path(request.sqlite_file).string();
        try {
            const ExportCounts counts = export_sqlite(path, *selected, problems);
            std::printf("qvexport: %s: %lld series brought up to date, %lld rows written\n", path.c_str(),
                        counts.series_changed, counts.rows_written);
        } catch (const SqliteError& failure) {
            std::fprintf(stderr, "qvexport: %s: %s; the file is left as it was\n", path.c_str(), failure.what());
            status = 1;
        }
    }
    if (!request.csv_folder.empty()) {
        const std::string folder = translate_path(request.csv_folder).string();
        const int written = export_csv(folder, *selected, problems);
        std::printf("qvexport: %s: %d CSV files written\n", folder.c_str(), written);
    }
    for (const std::string& problem : problems) std::fprintf(stderr, "qvexport: %s\n", problem.c_str());
    if (!problems.empty()) status = 1;
    return status;
}

}  // namespace qv::qvexport
