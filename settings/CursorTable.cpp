// The application's table of cursor shapes by number, shown through Qt's override cursor.
#include "settings/CursorTable.h"

#include <QGuiApplication>

namespace {

// The program-wide table outlives the application object; after that there is nothing to show.
bool haveGuiApplication()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
}

} // namespace

TCursorTable::~TCursorTable()
{
    if (haveGuiApplication()) SetAppCursor(0);
}

void TCursorTable::SetCursor(int number, const QCursor &cursor)
{
    FCursors[number] = {cursor, {}};
    if (number == FAppCursor && FOverriding && haveGuiApplication())
        QGuiApplication::changeOverrideCursor(cursor);
}

void TCursorTable::SetCursor(int number, std::function<QCursor()> make)
{
    FCursors[number] = {std::nullopt, std::move(make)};
    if (number == FAppCursor && FOverriding && haveGuiApplication())
        QGuiApplication::changeOverrideCursor(Made(FCursors[number]));
}

const QCursor &TCursorTable::Made(Entry &entry) const
{
    if (!entry.cursor) entry.cursor = entry.make ? entry.make() : QCursor();
    return *entry.cursor;
}

bool TCursorTable::HasCursor(int number) const
{
    return FCursors.count(number) > 0;
}

QCursor TCursorTable::Cursor(int number) const
{
    const auto it = FCursors.find(number);
    return it == FCursors.end() ? QCursor() : Made(it->second);
}

void TCursorTable::SetAppCursor(int number)
{
    if (number == FAppCursor || !haveGuiApplication()) return;
    FAppCursor = number;
    const auto it = FCursors.find(number);
    if (number == 0 || it == FCursors.end()) {
        // Only our own entry on Qt's stack of override cursors is taken off.
        if (FOverriding) QGuiApplication::restoreOverrideCursor();
        FOverriding = false;
        return;
    }
    if (FOverriding) {
        QGuiApplication::changeOverrideCursor(Made(it->second));
    } else {
        QGuiApplication::setOverrideCursor(Made(it->second));
        FOverriding = true;
    }
}

TCursorTable &AppCursorTable()
{
    static TCursorTable table;
    return table;
}
