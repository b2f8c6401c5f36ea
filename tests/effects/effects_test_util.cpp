#include "tests/effects/effects_test_util.h"

void loadIdentityMatrices() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void drawQuadrants() {
    loadIdentityMatrices();
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    const float quads[4][5] = {
        {-1, 0, 1, 0, 0}, {0, 0, 0, 1, 0}, {-1, -1, 0, 0, 1}, {0, -1, 1, 1, 1}};
    for (const float* q : quads) {
        glColor3f(q[2], q[3], q[4]);
        glRectf(q[0], q[1], q[0] + 1, q[1] + 1);
    }
    glColor4f(1, 1, 1, 1);
}

std::vector<FeedbackPolygon> capturePolygons(const std::function<void()>& draw) {
    static std::vector<GLfloat> buffer(1 << 20);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    GLint used = glRenderMode(GL_RENDER);
    std::vector<FeedbackPolygon> polygons;
    for (GLint i = 0; i < used;) {
        GLint token = static_cast<GLint>(buffer[i++]);
        if (token == GL_POLYGON_TOKEN) {
            GLint count = static_cast<GLint>(buffer[i++]);
            FeedbackPolygon polygon;
            for (GLint v = 0; v < count; v++, i += 11) { // x y z, r g b a, s t r q
                polygon.x.push_back(buffer[i]);
                polygon.y.push_back(buffer[i + 1]);
                polygon.s.push_back(buffer[i + 7]);
            }
            polygons.push_back(polygon);
        } else if (token == GL_PASS_THROUGH_TOKEN || token == GL_POINT_TOKEN) {
            i += token == GL_PASS_THROUGH_TOKEN ? 1 : 11;
        } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            i += 22;
        } else {
            i += 11; // bitmap, draw-pixel and copy-pixel tokens carry one vertex
        }
    }
    return polygons;
}

unsigned countPrimitives(const std::function<void()>& draw) {
    GLuint query = 0;
    glGenQueries(1, &query);
    glBeginQuery(GL_PRIMITIVES_GENERATED, query);
    draw();
    glEndQuery(GL_PRIMITIVES_GENERATED);
    GLuint count = 0;
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &count);
    glDeleteQueries(1, &query);
    return count;
}
