// GL upload: decoded pictures become single-level 2-D textures on the GL thread, alone or shared
// by the file they came from.
#include "engine/texture.h"

#include "engine/error.h"
#include "engine/load_stats.h"
#include "engine/picture_decode.h"
#include "engine/picture_queue.h"

#include <map>
#include <string>
#include <sys/stat.h>
#include <tuple>

namespace {

// Alpha boxes by texture name; main thread only.
std::map<GLuint, TextureAlphaBox> alphaBoxes;

// A new texture name bound to GL_TEXTURE_2D with the loader's sampling: smooth is repeating and
// linear, otherwise clamped and nearest.
GLuint newTexture(bool smooth) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    const GLint wrap = smooth ? GL_REPEAT : GL_CLAMP;
    const GLint filter = smooth ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    return name;
}

// qorUploadTexture without recording the alpha box.
GLuint uploadPixels(const Image& image, bool smooth) {
    GLenum sourceFormat;
    if (image.bytesPerPixel == 3) {
        sourceFormat = GL_RGB;
    } else if (image.bytesPerPixel == 4) {
        sourceFormat = GL_RGBA;
    } else {
        qorError("Unknown image format - %d bpp (expected 24 or 32)\n", image.bytesPerPixel * 8);
        return 0;
    }
    const double cpuStart = qorThreadCpuMs();
    glEnable(GL_TEXTURE_2D);
    GLuint name = newTexture(smooth);
    // The rows are tightly packed, so 24-bit rows of any width need an alignment of 1.
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, image.width, image.height, 0, sourceFormat,
                 GL_UNSIGNED_BYTE, image.pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    glDisable(GL_TEXTURE_2D);
    qorLoadStats().picturesUploaded++;
    qorLoadStats().uploadCpuMs += qorThreadCpuMs() - cpuStart;
    return name;
}

} // namespace

GLuint qorUploadTexture(const Image& image, bool smooth) {
    GLuint name = uploadPixels(image, smooth);
    if (name != 0) alphaBoxes[name] = findAlphaBox(image);
    return name;
}

GLuint qorLoadTexture(const char* path, bool smooth) {
    Image image;
    if (!qorLoadImage(path, &image)) return 0;
    GLuint name = qorUploadTexture(image, smooth);
    qorFreeImage(&image);
    return name;
}

bool qorGetTextureAlphaBox(GLuint name, TextureAlphaBox* box) {
    auto known = alphaBoxes.find(name);
    if (known == alphaBoxes.end()) return false;
    *box = known->second;
    return true;
}

namespace {

// A picture file as it is on disk now.
struct FileIdentity {
    std::string path;
    dev_t device;
    ino_t inode;
    off_t size;
    long modifiedSeconds, modifiedNanoseconds;
    bool smooth;

    bool operator<(const FileIdentity& other) const {
        return std::tie(path, device, inode, size, modifiedSeconds, modifiedNanoseconds, smooth) <
               std::tie(other.path, other.device, other.inode, other.size, other.modifiedSeconds,
                        other.modifiedNanoseconds, other.smooth);
    }
};

// Shared textures by the file they were loaded from; main thread only.
std::map<FileIdentity, GLuint> sharedTextures;

// The shared texture for a file seen for the first time: its queued picture (decoded by a
// worker, if one has it) uploaded now, or the file decoded here, which reports any problem.
GLuint loadNewSharedTexture(const char* path, bool smooth) {
    Image image;
    TextureAlphaBox alphaBox;
    if (!takeQueuedPicture(path, image, alphaBox)) return qorLoadTexture(path, smooth);
    GLuint name = uploadPixels(image, smooth);
    if (name != 0) alphaBoxes[name] = alphaBox;
    qorFreeImage(&image);
    return name;
}

} // namespace

GLuint qorLoadSharedTexture(const char* path, bool smooth) {
    struct stat info;
    if (stat(path, &info) != 0) return qorLoadTexture(path, smooth); // reports the problem
    FileIdentity file = {path,
                         info.st_dev,
                         info.st_ino,
                         info.st_size,
                         long(info.st_mtim.tv_sec),
                         long(info.st_mtim.tv_nsec),
                         smooth};
    auto known = sharedTextures.find(file);
    // A name from a context that has since gone is no texture any more.
    GLuint name = 0;
    if (known != sharedTextures.end() && glIsTexture(known->second)) {
        name = known->second;
        glBindTexture(GL_TEXTURE_2D, name);
    } else {
        name = loadNewSharedTexture(path, smooth);
        if (name != 0) sharedTextures[file] = name;
    }
    return name;
}
