// Reads the titles and capture times of every photo in a folder, as Add Photos does, and times
// it against the floor of reading each file's first 64 KB (where a camera keeps its metadata).
// The best of a few rounds: the machine is shared. Usage: bench_photo_import FOLDER prints
// "ours MS floor MS photos N"; the reader uses the cores of the process's CPU affinity (taskset).
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "FileIO.h"
#include "PhotoImport.h"

using namespace lumivex;

namespace {

double BestMs(const std::function<void()>& run) {
    double best = 1e300;
    for (int i = 0; i < 5; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        best = std::min(best, std::chrono::duration<double, std::milli>(
                                  std::chrono::steady_clock::now() - start)
                                  .count());
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_photo_import FOLDER\n");
        return 2;
    }
    const std::vector<std::string> photos = PhotosInFolder(argv[1]);
    std::size_t unread = 0;
    const double ours = BestMs([&] {
        const std::vector<PhotoFacts> facts = OrderPhotos(ReadPhotoFacts(photos));
        unread = static_cast<std::size_t>(std::count_if(
            facts.begin(), facts.end(), [](const PhotoFacts& f) { return !f.problem.empty(); }));
    });
    const double floor = BestMs([&] {
        std::vector<char> buffer(64 << 10);
        for (const std::string& path : photos) {
            const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
            if (fd.get() < 0 || ::read(fd.get(), buffer.data(), buffer.size()) <= 0)
                std::exit(1);
        }
    });
    if (unread != 0) {
        std::fprintf(stderr, "%zu photos were not read\n", unread);
        return 1;
    }
    std::printf("ours %.2f floor %.2f photos %zu\n", ours, floor, photos.size());
    return 0;
}
