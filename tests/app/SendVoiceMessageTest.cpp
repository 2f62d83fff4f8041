// The send button over simulated services: the outcomes by setting, refused sends, the progress window.
#include "app/fFakeProgress.h"
#include "sound/WavFormatUtils.h"

#include "WindowTestSupport.h"

namespace {

class SendButton : public VoiceMailFixture {
protected:
    void SetUp() override
    {
        reg.writeMachine("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion]\n"
                         "\"CommonFilesDir\"=\"/opt/common\"\n");
        folders.program = reg.dir.path();
        VoiceMailFixture::SetUp();
        VMProperties->GSM610 = false;
        window->SetShowCallOut([this](QPoint, const QString &, const QString &, bool modal, bool pic) {
            bubbles << QStringLiteral("%1%2").arg(modal ? "modal" : "", pic ? "picture" : "");
        });
        TSendServices services;
        services.TickCount = [this] { return now; };
        services.Sleep = [this](quint32 ms) { slept.push_back(ms); };
        services.PackWaveFile = [this](const QString &) {
            packedWithWindow = ProgressShowing() ? ProgressForm->windowTitle() : QStringLiteral("none");
            now += packMs;
            if (packThrows) throw EStreamError("Cannot open the message");
            return true;
        };
        services.Launcher = &launcher;
        services.Folders = &folders;
        services.Registry = &reg.store;
        window->SetSendServices(services);
        TempRegistry::write(VMProperties->MsgFileName, "RIFF");
    }
    void send() { press("btnSend"); }
    QString handOff() const { return QString::fromUtf8(TempRegistry::read(reg.dir.filePath("eMail.dat"))); }

    FakeLauncher launcher;
    QStringList bubbles;       // "modal", "picture" or "" each
    quint32 now = 0xFFFFFF00u; // the tick count wraps while packing
    quint32 packMs = 300;
    bool packThrows = false;
    std::vector<quint32> slept;
    QString packedWithWindow;
};

TEST_F(SendButton, EachSettingGivesItsBubblesHandOffAndSenderStartAndAMissingMessageOnlyBeeps)
{
    const struct {
        bool webMail, sendWait;
        const char *addr;
        QStringList bubbles;
        const char *forceNoUI; // null: no hand-off and no sender
    } rows[] = {{true, false, "a@b", {"modal"}, nullptr},
                {false, true, "a@b", {"modal"}, "0"},
                {false, false, "a@b", {"picture"}, "1"},
                {false, false, "", {}, "0"}};
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.webMail << row.sendWait << row.addr);
        QFile::remove(reg.dir.filePath("eMail.dat"));
        bubbles.clear();
        launcher.starts = 0;
        VMProperties->WebMail = row.webMail;
        VMProperties->SendWait = row.sendWait;
        VMProperties->ReciptAddr = QString::fromLatin1(row.addr);
        send();
        EXPECT_EQ(bubbles, row.bubbles);
        EXPECT_EQ(launcher.starts, row.forceNoUI ? 1 : 0);
        EXPECT_EQ(handOff().isEmpty(), !row.forceNoUI);
        if (!row.forceNoUI) continue;
        EXPECT_TRUE(handOff().startsWith(QStringLiteral("[Flags]\nForceNoUI=") + row.forceNoUI + "\n"));
        EXPECT_EQ(launcher.lastCommandLine,
                  "\"/opt/common/Vantorq Systems/SendMail\" \"" + reg.dir.filePath("eMail.dat") + "\"");
    }
    EXPECT_TRUE(system.calls.isEmpty());
    // A missing message, or one whose path a profile key cannot hold, only beeps.
    QFile::remove(reg.dir.filePath("eMail.dat"));
    bubbles.clear();
    for (const QString &path : {reg.dir.filePath("missing.wav"), reg.dir.filePath("two\nlines.wav"),
                                reg.dir.filePath("blank at the end.wav ")}) {
        if (!path.contains("missing")) TempRegistry::write(path, "RIFF");
        VMProperties->MsgFileName = path;
        send();
    }
    EXPECT_EQ(system.calls, QStringList({"beep", "beep", "beep"}));
    EXPECT_TRUE(bubbles.isEmpty() && handOff().isEmpty());
}

TEST_F(SendButton, PackingShowsTheProgressWindowOnlyAbove500000ForAtLeast800MsAndAlwaysClosesIt)
{
    VMProperties->GSM610 = true;
    VMProperties->PlainSize = 500000;
    send();
    EXPECT_EQ(packedWithWindow, "none");
    EXPECT_TRUE(slept.empty());
    VMProperties->PlainSize = 500001;
    send();
    EXPECT_EQ(packedWithWindow, "Compress Voice Message");
    EXPECT_EQ(slept, std::vector<quint32>{500});
    EXPECT_FALSE(ProgressShowing());
    EXPECT_TRUE(window->isEnabled());
    packMs = 900;
    send();
    EXPECT_EQ(slept.size(), 1u) << "no wait after a long packing";
    EXPECT_EQ(launcher.starts, 3);
    packThrows = true; // a message that cannot be read: an error box, and nothing handed off
    send();
    EXPECT_EQ(system.calls, QStringList({"beep", "box"}));
    EXPECT_EQ(system.boxText, "Cannot open the message");
    EXPECT_FALSE(ProgressShowing());
    EXPECT_EQ(launcher.starts, 3);
}

} // namespace
