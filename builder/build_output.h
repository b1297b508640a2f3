#pragma once

// Building one output file of a build file's block: the contract put into its
// name, its preparation, the joined table of its inputs over the output days
// (\QUORVANT\TEMP0001.QVT), and the output written from that table.

#include "builder/preparation.h"
#include "common/install_files.h"

namespace qv::builder {

enum class BuildOutcome {
    built,
    skipped,   // a message has been shown (or an input file is missing): the next block follows
    run_ends,  // stopped by a key press or by a message that ends the run
};

// The joined table of the output file being built.
inline constexpr std::string_view table_path = install::build_table_file;

BuildOutcome build_output_file(BuildRun& run, const Block& block);

}  // namespace qv::builder
