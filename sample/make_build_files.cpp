// make_build_files FOLDER: writes the sample installation's build files into
// FOLDER\AUTO\, the files a user's front end would hand to DFORGE:
//
//   $WHEAT     wheat's nearby contracts linked into one back-adjusted series
//   $COTINDX   gold's close beside its three COT indexes
//   $WEEKLY    weekly bars of gold with volume and open interest
//   $INDEXES   the closes of three stock indexes side by side
//   $GOLDMS    gold for MetaStock: daily bars and weekly bars of one symbol
//   $JAPANYEN  the yen's nearby contracts for MetaStock, back-adjusted
//   $POUND     the pound's nearby contracts, back-adjusted, with the contract
//
// Each writes its output into \QUORVANT\ASCII\BUILT\ ($GOLDMS and $JAPANYEN
// into the MetaStock directory \QUORVANT\META\BUILT\), a folder the builder
// makes on its first run. The currencies roll over on 14 December 2020, so the
// daily chain relinks their outputs that day.

#include <cstdio>
#include <filesystem>
#include <string>

#include "common/platform/files.h"

namespace {

struct BuildFile {
    const char* name;
    const char* text;
};

const BuildFile build_files[] = {
    {"$WHEAT",
     "REM WHEAT: THE NEARBY CONTRACTS LINKED INTO ONE SERIES, EACH PRICE\n"
     "REM RAISED OR LOWERED BY THE ROLL GAPS STILL TO COME (BACK ADJUSTMENT).\n"
     "#CLCLINKINGMETHOD=3\n"
     "#STARTINGDATE=01/02/2015\n"
     "#OUTPUTCOLUMNHEADINGS=Y\n"
     "\n"
     "\\QUORVANT\\ASCII\\BUILT\\W_BACK.TXT\n"
     "#FIRSTLINETITLE=WHEAT, BACK-ADJUSTED\n"
     "W__CLC 1,2,3,4,6,7\n"},
    {"$COTINDX",
     "REM GOLD: THE CLOSE AND THE COMMERCIAL, NON-COMMERCIAL AND\n"
     "REM NON-REPORTABLE COT INDEXES OVER A 400-DAY LOOK-BACK.\n"
     "\\QUORVANT\\ASCII\\BUILT\\GC_COT.TXT\n"
     "#STARTINGDATE=01/03/2017\n"
     "#OUTPUTCOLUMNHEADINGS=Y\n"
     "#COTINTERPOLATIONMETHOD=1\n"
     "GC_CLC 4\n"
     "GC_COT 1,2,3\n"},
    {"$WEEKLY",
     "REM GOLD IN WEEKLY BARS: OPEN, HIGH, LOW, CLOSE, VOLUME, OPEN INTEREST.\n"
     "\\QUORVANT\\ASCII\\BUILT\\GC_WEEK.TXT\n"
     "#STARTINGDATE=01/04/2016\n"
     "#SAMPLINGPERIOD=K\n"
     "#OUTPUTDATEFORMAT=1\n"
     "GC_CLC 1,2,3,4,6,7\n"},
    {"$INDEXES",
     "REM THREE STOCK INDEXES, CLOSE BESIDE CLOSE, UP TO THE LAST DAY ALL OF\n"
     "REM THEM HAVE.\n"
     "\\QUORVANT\\ASCII\\BUILT\\INDEXES.TXT\n"
     "#STARTINGDATE=01/02/2020\n"
     "#ENDINGDATE=12/31/2049\n"
     "#COLSEPARATORCHARACTER=T\n"
     "DJ_IDX 4\n"
     "SP_IDX 4\n"
     "ND_IDX 4\n"},
    {"$GOLDMS",
     "REM GOLD FOR METASTOCK: DAILY BARS OF THE NEARBY CONTRACTS, BACK-ADJUSTED\n"
     "REM BY THE ROLL GAPS, AND WEEKLY BARS: A SECOND SERIES OF THE SAME SYMBOL.\n"
     "#OUTPUTFORMAT=M\n"
     "#STARTINGDATE=01/04/2016\n"
     "#CLCLINKINGMETHOD=3\n"
     "\\QUORVANT\\META\\BUILT\\GC\n"
     "GC_CLC 1,2,3,4,6,7\n"
     "\n"
     "\\QUORVANT\\META\\BUILT\\GC\n"
     "#SAMPLINGPERIOD=K\n"
     "GC_CLC 1,2,3,4,6,7\n"},
    {"$JAPANYEN",
     "REM THE JAPANESE YEN FOR METASTOCK, BACK-ADJUSTED BY THE ROLL GAPS.\n"
     "#OUTPUTFORMAT=M\n"
     "#STARTINGDATE=01/02/2019\n"
     "\\QUORVANT\\META\\BUILT\\JY\n"
     "JY_CLC 1,2,3,4,6,7\n"},
    {"$POUND",
     "REM THE BRITISH POUND, BACK-ADJUSTED, WITH THE CONTRACT IN FORCE.\n"
     "#STARTINGDATE=01/02/2019\n"
     "\\QUORVANT\\ASCII\\BUILT\\BP_BACK.TXT\n"
     "BP_CLC 1,2,3,4,8\n"},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_build_files FOLDER\n");
        return 2;
    }
    const std::filesystem::path auto_folder = std::filesystem::path(argv[1]) / "AUTO";
    std::filesystem::create_directories(auto_folder);
    for (const BuildFile& build_file : build_files) {
        const std::string path = (auto_folder / build_file.name).string();
        const qv::FilePtr file = qv::open_file(path, "w");
        if (!file || std::fputs(build_file.text, file.get()) < 0 || std::fflush(file.get()) != 0) {
            std::fprintf(stderr, "make_build_files: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
