// The mail sender: the hand-off, the agent's command, runs refused, kept and delivered by a stand-in agent.
#include "mail/sender/SendMail.h"
#include "mail/sender/HandOff.h"
#include "mail/sender/MailAgent.h"
#include "platform/audio/WaveFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace sender;

namespace {

TEST(SenderHandOff, ReadsKeysWithoutCaseFilePathsToTheLastEqualsAndLineBreaksInTheBody)
{
    THandOff h;
    QString error;
    ASSERT_TRUE(ParseHandOff("[flags]\r\nFORCENOUI=1\r\n[Header]\r\ntoaddr = a@b \r\nToAddr=second@b\r\n"
                             "Subject=Voice message from Zo\xc3\xab\r\nText=\\nline\\none\\\\x\r\n"
                             "[Files]\r\n/tmp/my msg=1.wav=1\r\n[FileNames]\r\n/tmp/b.wav=1\r\n",
                             h, error));
    EXPECT_TRUE(h.ForceNoUI);
    EXPECT_EQ(h.ToAddr, "a@b") << "the first of a repeated key counts";
    EXPECT_EQ(h.Subject, QString::fromUtf8("Voice message from Zo\xc3\xab"));
    EXPECT_EQ(h.Text, "\nline\none\\\\x");
    EXPECT_EQ(h.Files, QStringList({"/tmp/my msg=1.wav", "/tmp/b.wav"}));
    EXPECT_FALSE(ParseHandOff("[Header]\nSubject=\xff\n", h, error));
}

TEST(SenderAgent, TheCommandIsSplitAsAShellWouldWithoutExpandingThenGetsItsOptions)
{
    QProcessEnvironment env;
    EXPECT_EQ(MailAgentCommand(env), QStringList({"/usr/sbin/sendmail", "-t", "-i"}));
    env.insert("CHIRPEL_SENDMAIL", "'/opt/my agent'  \"a \\\"b\\\" $HOME\" c\\ d '' ");
    EXPECT_EQ(MailAgentCommand(env), QStringList({"/opt/my agent", "a \"b\" $HOME", "c d", "", "-t", "-i"}));
    QStringList words;
    EXPECT_FALSE(SplitShellWords("a 'b", words));
}

// A stand-in agent that keeps each mail it is given, or refuses while "down" exists.
class SenderRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString agent = dir.filePath("agent");
        write(agent, "#!/bin/sh\n[ -e \"$0.down\" ] && { echo 'connection refused' >&2; exit 75; }\n"
                     "n=$(ls \"$0.got\" | wc -l); cat > \"$0.got/$n.eml\"; echo \"$@\" > \"$0.args\"\n");
        QFile::setPermissions(agent, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QDir().mkpath(agent + ".got");
        context.Environment.insert("CHIRPEL_SENDMAIL", "'" + agent + "' --from=kid@example.org");
        context.Environment.insert("XDG_DATA_HOME", dir.filePath("data"));
        context.Notify = [this](const QString &summary, const QString &) { return notes << summary, true; };
        write(wave, platform::waveFileImage(platform::pcmFormat(1, 8000, 16), QByteArray(16000, 1)));
    }
    static void write(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
    int run(const QByteArray &header, const QString &file)
    {
        write(handOff, "[Flags]\nForceNoUI=1\n[Header]\nToName=Gran\n" + header + "\n[Files]\n" +
                           file.toUtf8() + "=1\n");
        return RunSender({handOff}, context);
    }
    QStringList delivered() const
    {
        return QDir(dir.filePath("agent.got")).entryList(QDir::Files, QDir::Name);
    }
    QByteArray mail(const QString &name) const
    {
        QFile f(dir.filePath("agent.got/" + name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    QString wave = dir.filePath("chirpel.wav");
    QString handOff = dir.filePath("eMail.dat");
    TSenderContext context;
    QStringList notes;
};

TEST_F(SenderRun, WhatCannotBeSentIsRefusedWithoutReachingTheAgent)
{
    const QString fifo = dir.filePath("fifo.wav"), big = dir.filePath("big.wav");
    mkfifo(QFile::encodeName(fifo).constData(), 0600);
    QFile bigFile(big);
    ASSERT_TRUE(bigFile.open(QIODevice::WriteOnly) && bigFile.resize(25 * 1024 * 1024 + 1));
    const struct {
        QByteArray header;
        QString file;
    } cases[] = {{"ToAddr=a@b, c@d", wave},
                 {"ToAddr=not an address", wave},
                 {"ToAddr=-oQ/tmp@x", wave},
                 {"ToAddr=a@b\nSubject=x\rBcc: e@f", wave},
                 {"ToAddr=a@b", fifo},
                 {"ToAddr=a@b", big},
                 {"ToAddr=a@b", dir.filePath("missing.wav")}};
    for (const auto &c : cases)
        EXPECT_EQ(run(c.header, c.file), ExitRefused) << c.header.constData() << " " << c.file.toStdString();
    EXPECT_EQ(RunSender({dir.filePath("no-hand-off")}, context), ExitRefused);
    EXPECT_TRUE(delivered().isEmpty());
}

TEST_F(SenderRun, AnUnreachableAgentKeepsTheMailUntilTheNextStartDeliversItFirst)
{
    write(dir.filePath("agent.down"), "");
    EXPECT_EQ(run("ToAddr=first@example.org", wave), ExitKept);
    EXPECT_EQ(run("ToAddr=second@example.org", wave), ExitKept);
    EXPECT_EQ(notes.size(), 2);
    const QString outbox = dir.filePath("data/chirpel/outbox");
    EXPECT_EQ(QDir(outbox).entryList(QDir::Files).size(), 2);
    QFile::remove(dir.filePath("agent.down"));
    EXPECT_EQ(run("ToAddr=third@example.org", wave), ExitHandedOver);
    ASSERT_EQ(delivered().size(), 3);
    for (const auto &[file, to] : {std::pair{"0.eml", "first@"}, {"1.eml", "second@"}, {"2.eml", "third@"}})
        EXPECT_TRUE(mail(file).contains(to)) << file;
    EXPECT_TRUE(QDir(outbox).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(mail("../agent.args"), "--from=kid@example.org -t -i\n");
}

} // namespace
