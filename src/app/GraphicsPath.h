#pragma once

#include <QString>

#include <functional>

// How the window and its page are drawn.
enum class GraphicsPath {
    Toolkit,   // as Qt and the web engine choose: OpenGL where they find it
    Software,  // without OpenGL: Qt Quick's software scene graph, the engine's software compositing
};

// The software path where the machine has no graphics device to draw with (no render node in
// `deviceFolder`) and the user has not chosen a path of their own through Qt's or the engine's
// variables (`variable` gives a variable's value). Without a device, OpenGL is Mesa's software
// renderer: some 60 MiB of code in the reader's process and every frame rasterised twice.
GraphicsPath chooseGraphicsPath(const std::function<QString(const char *)> &variable,
                                const QString &deviceFolder = QStringLiteral("/dev/dri"));

// Sets the process up for `path`; must run before the application object is made.
void useGraphicsPath(GraphicsPath path);
