#include "platform/Cursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace platform {
namespace {

ScreenCursor g_cursor = ScreenCursor::Default;

Qt::CursorShape shapeOf(ScreenCursor cursor)
{
    switch (cursor) {
    case ScreenCursor::HandPoint:
        return Qt::PointingHandCursor;
    case ScreenCursor::SqlWait:
        return Qt::WaitCursor;
    case ScreenCursor::Default:
        break;
    }
    return Qt::ArrowCursor;
}

} // namespace

void setScreenCursor(ScreenCursor cursor)
{
    if (cursor == g_cursor)
        return;
    const bool hadOverride = g_cursor != ScreenCursor::Default;
    g_cursor = cursor;
    if (!qGuiApp)
        return;
    if (cursor == ScreenCursor::Default) {
        if (hadOverride)
            QGuiApplication::restoreOverrideCursor();
    } else if (hadOverride) {
        QGuiApplication::changeOverrideCursor(QCursor(shapeOf(cursor)));
    } else {
        QGuiApplication::setOverrideCursor(QCursor(shapeOf(cursor)));
    }
}

ScreenCursor screenCursor()
{
    return g_cursor;
}

} // namespace platform
