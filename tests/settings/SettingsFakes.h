// Stand-ins for the platform services the settings use, and a registry in a temporary folder.
#pragma once

#include "platform/desktop/KeyCapture.h"
#include "platform/desktop/ProcessLauncher.h"
#include "platform/desktop/SystemServices.h"
#include "platform/store/Folders.h"
#include "platform/store/Registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include <functional>

// The registry's two files in a folder of their own that disappears with the test.
struct TempRegistry {
    QTemporaryDir dir;
    QString userFile = dir.filePath(QStringLiteral("config/chirpel/user.reg"));
    QString machineFile = dir.filePath(QStringLiteral("machine.reg"));
    platform::RegFileStore store{userFile, machineFile};

    void writeUser(const QByteArray &text) const { write(userFile, text); }
    void writeMachine(const QByteArray &text) const { write(machineFile, text); }
    QByteArray readUser() const { return read(userFile); }
    static void write(const QString &path, const QByteArray &text)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (file.open(QIODevice::WriteOnly)) file.write(text);
    }
    static QByteArray read(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

class FakeKeyCapture final : public platform::KeyCapture {
public:
    bool captureTaskSwitchKeys() override { return ++captures, accept; }
    void releaseTaskSwitchKeys() override { ++releases; }
    bool accept = true;
    int captures = 0, releases = 0;
};

class FakeFolders final : public platform::SystemFolders {
public:
    QString tempFolder() const override { return asked << QStringLiteral("temp"), temp; }
    QString windowsFolder() const override { return asked << QStringLiteral("windows"), windows; }
    QString systemFolder() const override { return asked << QStringLiteral("system"), system; }
    QString programFolder() const override { return asked << QStringLiteral("program"), program; }
    QString currentFolder() const override { return current; }
    bool folderExists(const QString &path) const override { return looked << path, existing.contains(path); }

    QString temp = QStringLiteral("/tmp/"), windows = QStringLiteral("/usr"),
            system = QStringLiteral("/usr/bin");
    QString program = QStringLiteral("/opt/chirpel/bin"), current = QStringLiteral("/home/kid");
    QStringList existing;
    mutable QStringList asked;  // which folders were asked for, in order
    mutable QStringList looked; // which paths were tested as folders
};

class FakeLauncher final : public platform::ProcessLauncher {
public:
    bool startDetached(const QString &commandLine, const QString &workingFolder, int showMode) override
    {
        lastCommandLine = commandLine;
        lastWorkingFolder = workingFolder;
        lastShowMode = showMode;
        ++starts;
        return result;
    }
    bool result = true;
    int starts = 0;
    QString lastCommandLine, lastWorkingFolder;
    int lastShowMode = -1;
};

class FakeSystemServices final : public platform::SystemServices {
public:
    void beep() override
    {
        calls << QStringLiteral("beep");
        if (onBeep) onBeep();
    }
    void errorBox(QWidget *owner, const QString &text) override
    {
        calls << QStringLiteral("box");
        boxOwner = owner;
        boxText = text;
    }
    QStringList calls;
    std::function<void()> onBeep; // a look at the program at the moment of a beep
    QWidget *boxOwner = nullptr;
    QString boxText;
};
