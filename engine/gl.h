// OpenGL through GLEW, plus GLU. Every engine and effect unit includes GL through this header
// so that GLEW's entry points come before any other GL header.
#pragma once

#include <GL/glew.h>
#include <GL/glu.h>
