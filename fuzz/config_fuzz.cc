// The configuration file (shell/configread.h, shell/configsave.h): the input
// is written as the file, read as at start-up and saved. Beyond not crashing
// it checks the round trip: reading the saved file and saving again writes
// the same text, so what the program writes it also reads back.
// The file lives in a fresh directory under $TMPDIR (fuzz/run points that
// at its own scratch directory).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/check.h"
#include "shell/cmdline.h"
#include "shell/configread.h"
#include "shell/configsave.h"

namespace {

std::string ini_path;

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Reads the file as at start-up and saves it; the saved text.
std::string read_and_save() {
    configure(false);
    fuzz_check(save_config() == 0, "saving failed");
    return read_file(ini_path);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/dv-config-fuzz-XXXXXX";
    if (!mkdtemp(dir.data())) std::abort();
    ini_path = dir + "/dv.ini";
    program_args.ini_file = Westring(ini_path.c_str());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::ofstream(ini_path, std::ios::binary).write(reinterpret_cast<const char*>(data), size);
    std::string saved = read_and_save();
    std::string saved_again = read_and_save();
    fuzz_check(saved == saved_again, "a saved file read back saves differently");
    return 0;
}
