// The application's table of cursor shapes by number, and the one cursor shown over all windows.
#pragma once

#include <QCursor>

#include <functional>
#include <map>
#include <optional>

class TCursorTable {
public:
    TCursorTable() = default;
    ~TCursorTable();
    TCursorTable(const TCursorTable &) = delete;
    TCursorTable &operator=(const TCursorTable &) = delete;

    void SetCursor(int number, const QCursor &cursor);
    // A cursor made by `make` when it is first shown or asked for: drawing one takes time that a
    // start which never shows it should not spend.
    void SetCursor(int number, std::function<QCursor()> make);
    bool HasCursor(int number) const;
    QCursor Cursor(int number) const;

    // The number shown over every window of the program; 0 gives each window its own cursor.
    int AppCursor() const { return FAppCursor; }
    // Shows cursor number over all windows (Qt's override cursor); 0 takes it away again.
    void SetAppCursor(int number);

private:
    struct Entry {
        std::optional<QCursor> cursor;
        std::function<QCursor()> make;
    };
    const QCursor &Made(Entry &entry) const;

    mutable std::map<int, Entry> FCursors;
    int FAppCursor = 0;
    bool FOverriding = false;
};

// The program's own table.
TCursorTable &AppCursorTable();
