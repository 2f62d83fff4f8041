// links: chirpel_sender
// Reads arbitrary bytes as a hand-off file, optionally followed by "\n--\n" and the bytes of the
// message file, and builds the mail the sender would give the agent: nothing crashes, and a mail
// that is built has exactly one To header and no header that its fields could have added.
#include "mail/sender/HandOff.h"
#include "mail/sender/MailMessage.h"
#include "mail/sender/Mp3Copy.h"

#include <QFileInfo>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace sender;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const qsizetype split = bytes.indexOf("\n--\n");
    THandOff handOff;
    QString error;
    if (!ParseHandOff(split < 0 ? bytes : bytes.left(split), handOff, error)) return 0;

    const QByteArray wave = split < 0 ? QByteArray() : bytes.mid(split + 4);
    QList<TAttachment> attachments{{QFileInfo(handOff.Files.value(0)).fileName(), "audio/wav", wave}};
    QByteArray mp3;
    if (Mp3Copy(wave, mp3, error))
        attachments.append({Mp3Name(attachments.front().FileName), "audio/mpeg", mp3});

    QByteArray mail;
    if (!BuildMessage(handOff, attachments, mail, error)) return 0;
    const qsizetype end = mail.indexOf("\n\n");
    if (end < 0) std::abort();
    int to = 0;
    for (const QByteArray &line : mail.left(end).split('\n')) {
        if (line.startsWith(' ') || line.startsWith('\t')) continue; // a folded line goes on the header above
        const QByteArray name = line.left(line.indexOf(':')).toLower();
        static const QList<QByteArray> known{"from",       "to",           "subject",     "date",
                                             "message-id", "mime-version", "content-type"};
        if (!known.contains(name)) std::abort();
        to += name == "to";
    }
    if (to != 1) std::abort();
    return 0;
}
