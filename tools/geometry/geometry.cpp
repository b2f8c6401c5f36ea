#include "tools/geometry/geometry.h"

#include "tools/formats/file_writer.h"

#include "runtime/data_files.h"
#include "tools/formats/curve_writer.h"
#include "tools/formats/model_writer.h"
#include "tools/geometry/city.h"
#include "tools/geometry/objects.h"
#include "tools/geometry/station.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace geometry {

namespace {

void addModel(std::vector<GeneratedFile>& files, const char* path,
              const formats::ModelDesc& model) {
    files.push_back({path, formats::encodeModel(model)});
}

void addCurves(std::vector<GeneratedFile>& files, const char* const* paths,
               const std::vector<std::vector<CurveRecord>>& curves) {
    for (size_t i = 0; i < curves.size(); i++)
        files.push_back({paths[i], formats::encodeCurve(curves[i])});
}

// Creates every folder on the way to the file at path.
bool makeParentFolders(const std::string& path, std::string* error) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        std::string folder = path.substr(0, slash);
        if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
            *error = "cannot create folder '" + folder + "': " + strerror(errno);
            return false;
        }
    }
    return true;
}

bool writeFile(const std::string& path, const std::string& bytes, std::string* error) {
    return makeParentFolders(path, error) && formats::writeBytesFile(path, bytes, error);
}

} // namespace

std::vector<GeneratedFile> generateGeometryFiles() {
    std::vector<GeneratedFile> files;
    CityLayout city = makeCityLayout();
    addModel(files, datafiles::kCityModel, buildCityModel(city));
    addCurves(files, datafiles::kCityCurves, buildCityCurves());
    addModel(files, datafiles::kSpikeBallModel, buildSpikeBallModel());
    addModel(files, datafiles::kSoundBallModel, buildSoundBallModel());
    addCurves(files, datafiles::kSoundBallCurves, buildSoundBallCurves());
    addModel(files, datafiles::kBackdropModel, buildBackdropModel());
    addModel(files, datafiles::kTunnelModel, buildTunnelModel());
    addModel(files, datafiles::kProbeModel, buildProbeModel());
    addModel(files, datafiles::kIntoStationModel, buildIntoStationModel().model);
    const char* intoStationCurves[] = {datafiles::kIntoStationCameraCurve,
                                       datafiles::kIntoStationCurve};
    addCurves(files, intoStationCurves, buildIntoStationCurves());
    addModel(files, datafiles::kIdeaModel, buildIdeaModel());
    addModel(files, datafiles::kStationModel, buildStationModel().model);
    addCurves(files, datafiles::kCrowdCurves, buildCrowdCurves());
    return files;
}

int writeGeometry(const std::string& dataDir) {
    const std::string prefix = "data/";
    for (const GeneratedFile& file : generateGeometryFiles()) {
        std::string relative = file.dataPath.compare(0, prefix.size(), prefix) == 0
                                   ? file.dataPath.substr(prefix.size())
                                   : file.dataPath;
        std::string path = dataDir + "/" + relative;
        std::string error;
        if (!writeFile(path, file.bytes, &error)) {
            fprintf(stderr, "geometry: %s\n", error.c_str());
            return 1;
        }
        printf("geometry: wrote %s (%zu bytes)\n", path.c_str(), file.bytes.size());
    }
    fflush(stdout);
    return 0;
}

int runGeometryCommand(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: lirv-studio geometry DATA_DIR\n");
        return 2;
    }
    return writeGeometry(argv[1]);
}

int generateGeometry(const StudioPaths& paths) {
    return writeGeometry(paths.dataDir);
}

} // namespace geometry
