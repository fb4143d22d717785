#pragma once

#include <QIcon>
#include <QPixmap>

// The four pictures of the toolbar. Each is a white glyph on the toolbar's dark blue,
// 28 x 28 logical pixels and fully opaque.
enum class ToolbarGlyph { Reload, EnterId, Information, Contacts };

// Paints `glyph` at `devicePixelRatio` times the logical size, so that it stays sharp on
// high-density screens; the pixmap carries that ratio.
QPixmap toolbarGlyph(ToolbarGlyph glyph, qreal devicePixelRatio = 1.0);

// The window and task bar icon, in the usual sizes from 16 to 256 pixels.
QIcon applicationIcon();
