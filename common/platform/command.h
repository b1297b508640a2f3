#pragma once

// Command lines and batch files, as the tools hand work to one another (the
// updater's follow-up TEMPZIP.BAT, START of another program, ATTRIB -R on a
// read-only output file): split into words and carried out by the suite's own
// interpreter, never by a shell.

#include <string>
#include <string_view>
#include <vector>

namespace qv {

// One word of a command line. Words are split on blanks and tabs; double quotes
// group blanks into a word and are removed ("START CONQUIT "Finished_-_Merge" 1000").
struct CommandWord {
    std::string text;
    bool quoted = false;  // the word held a double quote
};
std::vector<CommandWord> split_command_line(std::string_view line);

// The suite's command interpreter: the few commands the tools and their batch
// files use, carried out directly, never through a shell, so no character of a
// file name means anything but itself.
//
//   MKDIR / MD folder...          creates each folder with the folders above it
//   ATTRIB -R|+R name...          makes files writable (or read-only); wildcards
//   ERASE / DEL name... [/F/Q/P]  deletes files; wildcards; a folder means its files;
//                                 without /F read-only files stay
//   START ["title"] [/WAIT] cmd   starts a program or batch file without waiting
//                                 (QUORVANT_SYNC=1 waits)
//   CALL cmd                      runs a program, or a batch file and comes back
//   ECHO text | ECHO. | ECHO ON|OFF, "@" before a line hides it, REM, :label, EXIT
//   program [arguments]           one of the suite's programs, with or without a
//                                 folder or ".EXE", in any case: runs and waits
//   batch file                    runs it in place of the rest of the current batch
//
// Command words and names are matched without regard to case. There is no
// redirection, piping or variable expansion: such characters are plain text.
class CommandInterpreter {
public:
    // Carries out one line: 0 when done, -1 when it could not be run at all (an
    // unknown command or program, an unreadable batch file), otherwise the
    // failed command's status.
    int run_line(std::string_view line);

    // Runs a batch file line by line (as CALL does); -1 when it cannot be read.
    int run_batch(std::string_view path);

    // START: the command line, with or without the word START, without waiting
    // (QUORVANT_SYNC=1: waiting).
    int start(std::string_view command_line);

    bool echo() const { return echo_; }

private:
    enum class RunMode { in_line, call, start_wait, start };

    int run_words(const std::vector<CommandWord>& words);
    int start_words(const std::vector<CommandWord>& words, std::size_t first);
    int run_target(const std::vector<CommandWord>& words, std::size_t first, RunMode mode);
    int echo_command(std::string_view rest);
    int make_folders(const std::vector<CommandWord>& words);
    int change_attributes(const std::vector<CommandWord>& words);
    int erase(const std::vector<CommandWord>& words);

    bool echo_ = true;
    int depth_ = 0;               // batch files running inside one another
    bool leave_current_ = false;  // control passed to another batch file
    bool leave_all_ = false;      // EXIT
};

}  // namespace qv
