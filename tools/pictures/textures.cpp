#include "tools/pictures/pictures.h"
void addTextureJobs(std::vector<PictureJob>&) {}
