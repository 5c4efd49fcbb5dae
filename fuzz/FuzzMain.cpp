// Runs a fuzz target over corpus files when the build has no libFuzzer (g++): every file named on
// the command line, or every file in the folders named, is one input. The same target under clang
// with -fsanitize=fuzzer explores on its own (make fuzz).

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int RunFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    int inputs = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path p(argv[i]);
        if (std::filesystem::is_directory(p)) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(p)) {
                if (entry.is_regular_file())
                    inputs += RunFile(entry.path());
            }
        } else {
            inputs += RunFile(p);
        }
    }
    // The empty input too: it must be handled like any other.
    LLVMFuzzerTestOneInput(nullptr, 0);
    std::printf("%d inputs ran\n", inputs + 1);
    return 0;
}
