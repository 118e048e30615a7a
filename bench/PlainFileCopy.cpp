#include "bench/PlainFileCopy.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

void PlainFileCopy(benchmark::State& state, int64_t bytes)
{
    const char* folder = getenv("TMPDIR");
    const std::string base = std::string(folder && *folder ? folder : "/tmp") + "/kostrel-bench-XXXXXX";
    std::string source = base, target = base;
    const int in = mkstemp(source.data());
    const int out = mkstemp(target.data());
    if (in < 0 || out < 0) {
        state.SkipWithError("cannot make the files");
        for (const int descriptor : {in, out})
            if (descriptor >= 0)
                close(descriptor);
        return;
    }
    std::vector<char> block(1 << 20, 'x');
    for (int64_t left = bytes; left > 0; left -= int64_t(block.size()))
        if (write(in, block.data(), size_t(std::min<int64_t>(left, int64_t(block.size())))) < 0)
            state.SkipWithError("cannot write the source");
    for (auto _ : state) {
        lseek(in, 0, SEEK_SET);
        lseek(out, 0, SEEK_SET);
        ssize_t got;
        while ((got = read(in, block.data(), block.size())) > 0)
            if (write(out, block.data(), size_t(got)) != got) {
                state.SkipWithError("copy failed");
                break;
            }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes);
    close(in);
    close(out);
    unlink(source.c_str());
    unlink(target.c_str());
}
