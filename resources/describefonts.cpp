// Writes fontconfig's description of each font file named, with the file's size and time of
// change, as C++ rows for the program: given the description, the program hands fontconfig
// the font at start-up without reading the file, where the file is still the one described.
// A file that is missing, or whose description does not read back as the same font, gets a
// row without one, and the program reads the file as before.
//
// Usage: describefonts <output> <font file>...

#include <fontconfig/fontconfig.h>
#include <sys/stat.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

struct PatternDeleter {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

// The description of the file's one face, or nothing where there is none that reads back
// as the same pattern.
std::string describe(const char* file)
{
    int faces = 0;
    const Pattern queried(
        FcFreeTypeQuery(reinterpret_cast<const FcChar8*>(file), 0, nullptr, &faces));
    if (!queried || faces != 1)
        return {};
    FcChar8* text = FcNameUnparse(queried.get());
    if (!text)
        return {};
    std::string description(reinterpret_cast<const char*>(text));
    FcStrFree(text);
    const Pattern parsed(FcNameParse(reinterpret_cast<const FcChar8*>(description.c_str())));
    if (!parsed || !FcPatternEqual(parsed.get(), queried.get()) ||
        description.find(")fc\"") != std::string::npos)
        return {};
    return description;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output> <font file>...\n", argv[0]);
        return 2;
    }
    std::FILE* out = std::fopen(argv[1], "w");
    if (!out)
        return 1;
    std::fprintf(out, "// Made by describefonts from the font files of the build machine.\n");
    for (int i = 2; i < argc; ++i) {
        struct stat status = {};
        const std::string description = ::stat(argv[i], &status) == 0 ? describe(argv[i]) : "";
        if (description.empty()) {
            std::fprintf(out, "{\"%s\", 0, 0, 0, nullptr},\n", argv[i]);
            continue;
        }
        std::fprintf(out, "{\"%s\", %lld, %lld, %lld, R\"fc(%s)fc\"},\n", argv[i],
                     static_cast<long long>(status.st_size),
                     static_cast<long long>(status.st_mtim.tv_sec),
                     static_cast<long long>(status.st_mtim.tv_nsec), description.c_str());
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
