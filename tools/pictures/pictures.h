// The studio's "pictures" command: paints every picture of data/ and writes it as PNG or JPG.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tools/pictures/canvas.h"
#include "tools/pictures/lettering.h"
#include "tools/studio.h"

// One picture of data/: where it goes, how it is stored, and how it is painted.
struct PictureJob {
    std::string dataFile; // a path from runtime/data_files.h, "data/..."
    int channels;         // 3 (RGB) or 4 (RGBA)
    bool flipped;         // stored bottom row first: the demo draws it with row 0 at the bottom
    std::function<Canvas(const Lettering&)> paint;
};

// Every picture the demo and its models read, in the order they are written.
std::vector<PictureJob> pictureJobs();

// The jobs of each group (collected by pictureJobs).
void addOverlayJobs(std::vector<PictureJob>& jobs);
void addCardJobs(std::vector<PictureJob>& jobs);
void addStationJobs(std::vector<PictureJob>& jobs);
void addTextureJobs(std::vector<PictureJob>& jobs);
void addSetTextureJobs(std::vector<PictureJob>& jobs);
void addCityTextureJobs(std::vector<PictureJob>& jobs); // called by addTextureJobs

// The file a "data/..." path names inside the data directory being written.
std::string dataFilePath(const std::string& dataDir, const std::string& dataFile);

// Paints and writes one job (JPG when the path ends in ".jpg"), creating its directory.
// Returns false after printing a line that names the file.
bool writePictureJob(const PictureJob& job, const Lettering& fonts, const std::string& dataDir);

// Writes every picture into paths.dataDir, with progress on standard output. Returns 0 on
// success, 1 after printing what failed.
int generatePictures(const StudioPaths& paths);

// "lirv-studio pictures DATA_DIR [NAME...]": writes every picture, or those whose data path
// contains one of the NAMEs.
int runPictures(int argc, char** argv);
