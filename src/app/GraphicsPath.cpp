#include "app/GraphicsPath.h"

#include <QDir>
#include <QQuickWindow>
#include <QSGRendererInterface>

namespace {

// Variables through which a user picks how Qt or the engine draws: any of them set, and the
// reader leaves the choice to them.
constexpr const char *UserChoices[] = {"QT_XCB_GL_INTEGRATION", "QT_QUICK_BACKEND", "QSG_RHI_BACKEND",
                                       "QT_OPENGL", "QTWEBENGINE_CHROMIUM_FLAGS"};

bool hasRenderNode(const QString &deviceFolder)
{
    return !QDir(deviceFolder).entryList({QStringLiteral("renderD*")}, QDir::System | QDir::Files).isEmpty();
}

} // namespace

GraphicsPath chooseGraphicsPath(const std::function<QString(const char *)> &variable, const QString &deviceFolder)
{
#ifdef Q_OS_LINUX
    for (const char *name : UserChoices) {
        if (!variable(name).isEmpty())
            return GraphicsPath::Toolkit;
    }
    return hasRenderNode(deviceFolder) ? GraphicsPath::Toolkit : GraphicsPath::Software;
#else
    // Elsewhere the system's own drivers draw, with or without a graphics card.
    Q_UNUSED(variable);
    Q_UNUSED(deviceFolder);
    return GraphicsPath::Toolkit;
#endif
}

void useGraphicsPath(GraphicsPath path)
{
    if (path != GraphicsPath::Software)
        return;
    // No OpenGL integration on X11, so not even the engine's GPU thread loads Mesa.
    qputenv("QT_XCB_GL_INTEGRATION", "none");
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --disable-gpu-compositing");
}
