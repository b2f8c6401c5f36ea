#include "tools/pictures/pictures.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace {

constexpr int kJpgQuality = 90;

bool endsWith(const std::string& text, const char* suffix) {
    size_t n = strlen(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

int writeJobs(const std::string& dataDir, const std::vector<std::string>& filters) {
    Lettering fonts;
    std::string error;
    if (!fonts.open(error)) {
        fprintf(stderr, "studio: pictures: %s\n", error.c_str());
        return 1;
    }
    std::vector<PictureJob> jobs = pictureJobs();
    auto started = std::chrono::steady_clock::now();
    int written = 0;
    for (const PictureJob& job : jobs) {
        bool wanted = filters.empty();
        for (const std::string& filter : filters)
            wanted = wanted || job.dataFile.find(filter) != std::string::npos;
        if (!wanted) continue;
        if (!writePictureJob(job, fonts, dataDir)) return 1;
        ++written;
        if (written % 10 == 0) {
            printf("studio: pictures: %d of %zu written\n", written, jobs.size());
            fflush(stdout);
        }
    }
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    printf("studio: pictures: %d pictures in %.1f s\n", written, seconds);
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
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), failure);
    if (failure) {
        fprintf(stderr, "studio: cannot create the directory of %s: %s\n", path.c_str(),
                failure.message().c_str());
        return false;
    }
    Picture picture = job.paint(fonts).toPicture(job.channels, job.flipped);
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
