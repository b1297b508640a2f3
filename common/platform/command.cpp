#include "common/platform/command.h"

#include "common/platform/console.h"
#include "common/platform/files.h"
#include "common/platform/process.h"
#include "common/platform/text.h"

#include <cctype>

namespace qv {
namespace {

// Batch files calling one another in a circle must end with a message, not
// with the stack exhausted.
constexpr int max_batch_depth = 16;

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && (is_blank(text.front()) || text.front() == '\r' || text.front() == '\n'))
        text.remove_prefix(1);
    while (!text.empty() && (is_blank(text.back()) || text.back() == '\r' || text.back() == '\n'))
        text.remove_suffix(1);
    return text;
}

bool ends_with_no_case(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && equal_no_case(text.substr(text.size() - suffix.size()), suffix);
}

bool is_batch_name(std::string_view name) {
    return ends_with_no_case(name, ".BAT") || ends_with_no_case(name, ".CMD");
}

bool has_wildcard(std::string_view name) {
    return name.find_first_of("*?") != std::string_view::npos;
}

// "/F/Q", "/Q": one or more slashes each followed by one letter. A Linux path
// such as "/home/fav" is a name, not a switch.
bool is_switch_group(std::string_view word) {
    if (word.size() < 2 || word.size() % 2 != 0) return false;
    for (std::size_t i = 0; i < word.size(); i += 2)
        if (word[i] != '/' || !std::isalpha(static_cast<unsigned char>(word[i + 1]))) return false;
    return true;
}

// The folder part of a name, separator included ("\QUORVANT\FAV\" of
// "\QUORVANT\FAV\*.*"), to which the names found in it are appended.
std::string folder_part(std::string_view name) {
    const auto slash = name.find_last_of("/\\");
    if (slash != std::string_view::npos) return std::string(name.substr(0, slash + 1));
    if (name.size() >= 2 && name[1] == ':') return std::string(name.substr(0, 2));
    return {};
}

// The files a name stands for: those matching its wildcard, or the file itself.
std::vector<std::string> files_named(std::string_view name) {
    std::vector<std::string> files;
    if (has_wildcard(name)) {
        const std::string folder = folder_part(name);
        for (const auto& entry : list_matching(name)) files.push_back(folder + entry.name);
    } else if (file_exists(name)) {
        files.emplace_back(name);
    }
    return files;
}

void say(const std::string& text) {
    console().write(text);
}

bool has_extension(std::string_view name) {
    const auto slash = name.find_last_of("/\\:");
    if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
    return name.find('.') != std::string_view::npos;
}

}  // namespace

std::vector<CommandWord> split_command_line(std::string_view line) {
    std::vector<CommandWord> words;
    CommandWord word;
    bool in_word = false, in_quotes = false;
    for (char c : line) {
        if (c == '"') {
            in_quotes = !in_quotes;
            word.quoted = true;
            in_word = true;
        } else if (is_blank(c) && !in_quotes) {
            if (in_word) words.push_back(std::move(word));
            word = CommandWord{};
            in_word = false;
        } else {
            word.text.push_back(c);
            in_word = true;
        }
    }
    if (in_word) words.push_back(std::move(word));
    return words;
}

int CommandInterpreter::run_line(std::string_view line) {
    line = trim(line);
    while (!line.empty() && line.front() == '@') line = trim(line.substr(1));
    if (line.empty() || line.front() == ':') return 0;

    // ECHO keeps its text as written, blanks and quotes included; "ECHO." prints an empty line.
    if (starts_with_no_case(line, "ECHO") && (line.size() == 4 || is_blank(line[4]) || line[4] == '.'))
        return echo_command(line.substr(4));

    return run_words(split_command_line(line));
}

int CommandInterpreter::run_words(const std::vector<CommandWord>& words) {
    if (words.empty()) return 0;
    const std::string& command = words[0].text;
    if (equal_no_case(command, "REM")) return 0;
    if (equal_no_case(command, "EXIT")) {
        leave_all_ = true;
        return 0;
    }
    if (equal_no_case(command, "MKDIR") || equal_no_case(command, "MD")) return make_folders(words);
    if (equal_no_case(command, "ATTRIB")) return change_attributes(words);
    if (equal_no_case(command, "ERASE") || equal_no_case(command, "DEL")) return erase(words);
    if (equal_no_case(command, "START")) return start_words(words, 1);
    if (equal_no_case(command, "CALL")) {
        if (words.size() < 2) return 0;
        return run_target(words, 1, RunMode::call);
    }
    return run_target(words, 0, RunMode::in_line);
}

int CommandInterpreter::start(std::string_view command_line) {
    const auto words = split_command_line(trim(command_line));
    const bool said_start = !words.empty() && !words[0].quoted && equal_no_case(words[0].text, "START");
    return start_words(words, said_start ? 1 : 0);
}

int CommandInterpreter::start_words(const std::vector<CommandWord>& words, std::size_t first) {
    std::size_t i = first;
    // START's first quoted word is the title of the new window.
    if (i < words.size() && words[i].quoted) ++i;
    bool wait = false;
    while (i < words.size() && words[i].text.size() > 1 && words[i].text[0] == '/') {
        const std::string option = to_upper(std::string_view(words[i].text).substr(1));
        if (option == "WAIT")
            wait = true;
        else if (option != "B" && option != "MIN" && option != "MAX" && option != "I" && option != "NORMAL")
            break;
        ++i;
    }
    if (i >= words.size()) {
        say("The syntax of the command is incorrect.\n");
        return 1;
    }
    return run_target(words, i, wait ? RunMode::start_wait : RunMode::start);
}

int CommandInterpreter::run_target(const std::vector<CommandWord>& words, std::size_t first, RunMode mode) {
    const std::string& name = words[first].text;
    std::vector<std::string> arguments;
    for (std::size_t i = first + 1; i < words.size(); ++i) arguments.push_back(words[i].text);

    std::string batch;
    if (is_batch_name(name)) {
        batch = name;
    } else if (const auto program = find_suite_program(name)) {
        int status;
        if (mode == RunMode::start)
            status = spawn_program(*program, arguments) ? 0 : -1;
        else
            status = run_program(*program, arguments);
        if (status == -1) say(format("Cannot start %s\n", name.c_str()));
        return status;
    } else if (!has_extension(name) && file_exists(name + ".BAT")) {
        batch = name + ".BAT";
    }
    if (batch.empty() || !file_exists(batch)) {
        say(format("Bad command or file name - %s\n", name.c_str()));
        return -1;
    }

    switch (mode) {
    case RunMode::call:
        return run_batch(batch);
    case RunMode::in_line: {
        // As in DOS, a batch file named without CALL takes over: the batch file
        // that named it does not go on afterwards.
        const int status = run_batch(batch);
        if (depth_ > 0) leave_current_ = true;
        return status;
    }
    case RunMode::start_wait:
    case RunMode::start: {
        const auto qbatch = find_suite_program("qbatch");
        if (!qbatch) {
            say("Cannot start qbatch\n");
            return -1;
        }
        if (mode == RunMode::start) return spawn_program(*qbatch, {batch}) ? 0 : -1;
        return run_program(*qbatch, {batch});
    }
    }
    return -1;
}

int CommandInterpreter::run_batch(std::string_view path) {
    if (depth_ >= max_batch_depth) {
        say(format("Batch files nested too deeply: %s\n", std::string(path).c_str()));
        return -1;
    }
    std::string content;
    {
        auto file = open_file(path, "rb");
        if (!file) {
            say(format("Cannot open batch file %s\n", std::string(path).c_str()));
            return -1;
        }
        char buffer[4096];
        std::size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) content.append(buffer, got);
    }
    // A Ctrl-Z ends a batch file's text, as DOS editors left it there.
    if (const auto end = content.find('\x1a'); end != std::string::npos) content.resize(end);

    ++depth_;
    std::size_t start = 0;
    while (start < content.size() && !leave_all_) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        const std::string_view line = trim(std::string_view(content).substr(start, end - start));
        start = end + 1;
        if (line.empty()) continue;
        if (echo_ && line.front() != '@') say(std::string(line) + "\n");
        run_line(line);
        if (leave_current_) {
            leave_current_ = false;
            break;
        }
    }
    --depth_;
    if (depth_ == 0) leave_all_ = false;
    return 0;
}

int CommandInterpreter::echo_command(std::string_view rest) {
    if (!rest.empty() && rest.front() == '.') {
        say(std::string(rest.substr(1)) + "\n");
        return 0;
    }
    if (!rest.empty()) rest.remove_prefix(1);  // the blank after ECHO
    const std::string_view word = trim(rest);
    if (word.empty()) {
        say(echo_ ? "ECHO is on.\n" : "ECHO is off.\n");
    } else if (equal_no_case(word, "ON")) {
        echo_ = true;
    } else if (equal_no_case(word, "OFF")) {
        echo_ = false;
    } else {
        say(std::string(rest) + "\n");
    }
    return 0;
}

int CommandInterpreter::make_folders(const std::vector<CommandWord>& words) {
    if (words.size() < 2) {
        say("The syntax of the command is incorrect.\n");
        return 1;
    }
    int status = 0;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string& folder = words[i].text;
        if (folder_exists(folder) || file_exists(folder)) {
            say(format("A subdirectory or file %s already exists.\n", folder.c_str()));
            status = 1;
        } else if (!create_folders(folder)) {
            say(format("Unable to create directory - %s\n", folder.c_str()));
            status = 1;
        }
    }
    return status;
}

int CommandInterpreter::change_attributes(const std::vector<CommandWord>& words) {
    int read_only = 0;  // -1 clear, +1 set, 0 leave
    std::vector<std::string> names;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string& word = words[i].text;
        if (word.size() == 2 && (word[0] == '+' || word[0] == '-')) {
            // Hidden, system and archive flags mean nothing here.
            if (std::toupper(static_cast<unsigned char>(word[1])) == 'R') read_only = word[0] == '+' ? 1 : -1;
        } else {
            names.push_back(word);
        }
    }
    if (names.empty()) {
        say("The syntax of the command is incorrect.\n");
        return 1;
    }
    int status = 0;
    for (const auto& name : names) {
        const auto files = files_named(name);
        if (files.empty()) {
            say(format("File not found - %s\n", name.c_str()));
            status = 1;
        }
        for (const auto& file : files) {
            const bool done = read_only < 0 ? make_writable(file) : read_only > 0 ? make_read_only(file) : true;
            if (!done) status = 1;
        }
    }
    return status;
}

int CommandInterpreter::erase(const std::vector<CommandWord>& words) {
    bool force = false;
    std::vector<std::string> names;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string& word = words[i].text;
        if (!is_switch_group(word)) {
            names.push_back(word);
            continue;
        }
        for (std::size_t j = 1; j < word.size(); j += 2) {
            const char option = static_cast<char>(std::toupper(static_cast<unsigned char>(word[j])));
            if (option == 'F') {
                force = true;
            } else if (option != 'Q' && option != 'P') {
                // Nothing is deleted on a switch that is not understood.
                say(format("Invalid switch - %s\n", word.c_str()));
                return 1;
            }
        }
    }
    if (names.empty()) {
        say("The syntax of the command is incorrect.\n");
        return 1;
    }
    int status = 0;
    for (std::string name : names) {
        // A folder stands for all its files.
        if (!has_wildcard(name) && folder_exists(name)) name += "\\*.*";
        const auto files = files_named(name);
        if (files.empty()) {
            say(format("Could Not Find %s\n", name.c_str()));
            status = 1;
        }
        for (const auto& file : files) {
            if (!force && !is_writable(file)) {
                say(format("Access is denied - %s\n", file.c_str()));
                status = 1;
            } else if (!delete_file(file)) {
                say(format("Could not delete %s\n", file.c_str()));
                status = 1;
            }
        }
    }
    return status;
}

}  // namespace qv
