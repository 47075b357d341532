// Arbitrary command words, split from the input at zero bytes, run through
// the whole program in a scratch folder that holds no file. Nothing there can
// be opened as a crystal file, so every run ends in a rejected command line
// or a crystal file that cannot be opened; the status and the console text
// must be exactly the ones for those words, and the folder must stay empty.
#include "app/run.h"
#include "memory_stream.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::string_view Usage = "tilegrid <crystal file> [<Number x repeat> <Number y repeat>]\r\n\r\n";

[[noreturn]] void failCheck(const char* what) {
    std::fprintf(stderr, "command line check failed: %s\n", what);
    std::abort();
}

bool allDigits(const std::string& word) {
    for (const char byte : word) {
        if (byte < '0' || byte > '9') return false;
    }
    return true;
}

// Above 2147483647, leading zeros aside; the word holds only digits.
bool tooLarge(const std::string& digits) {
    const std::size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) return false;
    const std::string_view value = std::string_view(digits).substr(first);
    return value.size() > 10 || (value.size() == 10 && value > "2147483647");
}

struct Expected {
    int status;
    std::string console;
};

// What the program must do with these words when no file can be opened.
Expected expectedRun(int argumentCount, const std::vector<std::string>& words) {
    switch (argumentCount) {
    case 1:
        return {1, "No crystal file specified!\r\n" + std::string(Usage)};
    case 2:
        return {2, "Couldn't open file " + words[0] + "\r\n"};
    case 3:
        return {1, "Too few parameters (or maybe too many!)\r\n" + std::string(Usage)};
    case 4:
        if (!allDigits(words[1]) || !allDigits(words[2])) return {4, "Non integer value!\r\n" + std::string(Usage)};
        if (tooLarge(words[1]) || tooLarge(words[2])) return {4, "Repeat value too large!\r\n" + std::string(Usage)};
        return {2, "Couldn't open file " + words[0] + "\r\n"};
    default:
        return {1, "\r\nToo many parameters!\r\n" + std::string(Usage)};
    }
}

bool folderIsEmpty() {
    DIR* folder = opendir(".");
    if (folder == nullptr) failCheck("cannot list the scratch folder");
    bool empty = true;
    while (const dirent* entry = readdir(folder)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) empty = false;
    }
    closedir(folder);
    return empty;
}

// Runs the program with these words after its own name, or with an argument
// vector that has no entry at all, and checks the outcome.
void checkRun(const std::vector<std::string>& words, bool withProgramName) {
    std::vector<const char*> arguments;
    if (withProgramName) arguments.push_back("tilegrid");
    for (const std::string& word : words) arguments.push_back(word.c_str());
    const int argumentCount = static_cast<int>(arguments.size());
    arguments.push_back(nullptr);

    tilegrid::fuzz::StringSink console;
    int status = -1;
    {
        tilegrid::LineWriter out(console);
        status = static_cast<int>(tilegrid::runTilegrid(argumentCount, arguments.data(), out));
    }
    if (status < 0 || status > 4) failCheck("exit status outside 0 to 4");
    if (!folderIsEmpty()) failCheck("a file was created in the scratch folder");
    const Expected expected = expectedRun(argumentCount, words);
    if (status != expected.status || console.bytes != expected.console) {
        std::fprintf(stderr, "status %d, console \"%s\"\nexpected status %d, console \"%s\"\n", status,
                     console.bytes.c_str(), expected.status, expected.console.c_str());
        failCheck(status != expected.status ? "exit status" : "console text");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Runs stay in a folder of their own, which is still empty at the end
    // of a clean session and is removed then.
    static std::string folder = (std::filesystem::temp_directory_path() / "tilegrid-fuzz-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr || chdir(folder.c_str()) != 0) failCheck("cannot enter a scratch folder");
    std::atexit([] { rmdir(folder.c_str()); });
    // An argument vector without even the program's own entry depends on no
    // input, so it is checked once here.
    checkRun({}, false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Each word ends at a zero byte, as in a process's stored command line;
    // the last one may also end with the data. A "/" becomes "_", so that no
    // word can name a file outside the scratch folder: a path that reaches an
    // existing file would let the run write a scene beside it.
    std::vector<std::string> words;
    std::string word;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            words.push_back(word);
            word.clear();
        } else {
            word += data[i] == '/' ? '_' : static_cast<char>(data[i]);
        }
    }
    if (!word.empty()) words.push_back(word);
    checkRun(words, true);
    return 0;
}
