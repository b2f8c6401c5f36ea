#include "tools/pictures/pictures.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <thread>

namespace {

constexpr int kJpgQuality = 90;

bool endsWith(const std::string& text, const char* suffix) {
    size_t n = strlen(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

// Paints the jobs on two threads (the studio's machines have two cores). The lettering holds no
// state and every job paints from its own seeds, so the order of painting does not change a
// byte.
int writeJobs(const std::string& dataDir, const std::vector<std::string>& filters) {
    std::vector<PictureJob> all = pictureJobs(), jobs;
    for (const std::string& filter : filters) {
        bool known = false;
        for (const PictureJob& job : all)
            known = known || job.dataFile.find(filter) != std::string::npos;
        if (!known) {
            fprintf(stderr,
                    "studio: pictures: no picture matches '%s' (names are data files such as "
                    "data/title.png; a part of one selects it)\n",
                    filter.c_str());
            return 2;
        }
    }
    for (PictureJob& job : all) {
        bool wanted = filters.empty();
        for (const std::string& filter : filters)
            wanted = wanted || job.dataFile.find(filter) != std::string::npos;
        if (wanted) jobs.push_back(std::move(job));
    }
    auto started = std::chrono::steady_clock::now();
    std::atomic<size_t> next{0};
    std::atomic<int> written{0};
    std::atomic<bool> failed{false};
    const Lettering fonts;
    auto work = [&]() {
        for (size_t i = next++; i < jobs.size() && !failed; i = next++) {
            if (!writePictureJob(jobs[i], fonts, dataDir)) {
                failed = true;
                return;
            }
            int count = ++written;
            if (count % 10 == 0) {
                printf("studio: pictures: %d of %zu written\n", count, jobs.size());
                fflush(stdout);
            }
        }
    };
    std::thread helper(work);
    work();
    helper.join();
    if (failed) return 1;
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    printf("studio: pictures: %d pictures in %.1f s\n", written.load(), seconds);
    return 0;
}

} // namespace

std::vector<PictureJob> pictureJobs() {
    std::vector<PictureJob> jobs;
    addOverlayJobs(jobs);
    addCardJobs(jobs);
    addStationJobs(jobs);
    addTextureJobs(jobs);
    return jobs;
}

std::string dataFilePath(const std::string& dataDir, const std::string& dataFile) {
    const std::string prefix = "data/";
    std::string inside =
        dataFile.compare(0, prefix.size(), prefix) == 0 ? dataFile.substr(prefix.size()) : dataFile;
    return dataDir + "/" + inside;
}

bool writePictureJob(const PictureJob& job, const Lettering& fonts, const std::string& dataDir) {
    std::string path = dataFilePath(dataDir, job.dataFile);
    std::error_code failure;
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::filesystem::create_directories(folder, failure);
    // Another painting thread may have made the same folder a moment earlier.
    if (failure && !std::filesystem::is_directory(folder)) {
        fprintf(stderr, "studio: cannot create the directory of %s: %s\n", path.c_str(),
                failure.message().c_str());
        return false;
    }
    int missing = missingLetterforms();
    Picture picture = job.paint(fonts).toPicture(job.channels, job.flipped);
    if (missingLetterforms() != missing) {
        fprintf(stderr, "studio: %s: lettering without letterforms (above); not written\n",
                path.c_str());
        return false;
    }
    if (endsWith(path, ".jpg")) return writeJpg(path, picture, kJpgQuality);
    return writePng(path, picture);
}

int generatePictures(const StudioPaths& paths) {
    return writeJobs(paths.dataDir, {});
}

int runPictures(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: lirv-studio pictures DATA_DIR [NAME...]\n");
        return 2;
    }
    return writeJobs(argv[1], std::vector<std::string>(argv + 2, argv + argc));
}
