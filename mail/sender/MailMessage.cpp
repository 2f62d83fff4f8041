// The mail the sender builds from a hand-off: checks of its fields, its attachments, its MIME text.
#include "mail/sender/MailMessage.h"

#include "platform/files/SafeRead.h"

#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <gmime/gmime.h>

#include <cerrno>
#include <memory>
#include <mutex>

namespace sender {

namespace {

void InitGMime()
{
    static std::once_flag once;
    std::call_once(once, [] { g_mime_init(); });
}

template <typename T> struct TUnref {
    void operator()(T *object) const
    {
        if (object) g_object_unref(object);
    }
};
template <typename T> using TRef = std::unique_ptr<T, TUnref<T>>;

bool HoldsLineBreak(const QString &text)
{
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
}

QByteArray Utf8(const QString &text)
{
    return text.toUtf8();
}

GMimePart *MakeAttachmentPart(const TAttachment &attachment)
{
    const qsizetype slash = attachment.MimeType.indexOf('/');
    GMimePart *part = g_mime_part_new_with_type(attachment.MimeType.left(slash).constData(),
                                                attachment.MimeType.mid(slash + 1).constData());
    TRef<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(attachment.Data.constData(),
                                                               static_cast<size_t>(attachment.Data.size())));
    TRef<GMimeDataWrapper> content(
        g_mime_data_wrapper_new_with_stream(stream.get(), GMIME_CONTENT_ENCODING_DEFAULT));
    g_mime_part_set_content(part, content.get());
    g_mime_part_set_content_encoding(part, GMIME_CONTENT_ENCODING_BASE64);
    g_mime_part_set_filename(part, Utf8(attachment.FileName).constData());
    return part;
}

} // namespace

bool SingleAddress(const QString &field, QString &address, QString &error)
{
    InitGMime();
    if (HoldsLineBreak(field)) {
        error = QStringLiteral("the address holds a line break");
        return false;
    }
    TRef<InternetAddressList> list(internet_address_list_parse(nullptr, Utf8(field).constData()));
    InternetAddress *first = list && internet_address_list_length(list.get()) == 1
                                 ? internet_address_list_get_address(list.get(), 0)
                                 : nullptr;
    const char *addr = first && INTERNET_ADDRESS_IS_MAILBOX(first)
                           ? internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(first))
                           : nullptr;
    address = addr ? QString::fromUtf8(addr) : QString();
    const qsizetype at = address.indexOf(QLatin1Char('@'));
    if (at <= 0 || at == address.size() - 1 || address.startsWith(QLatin1Char('-')) ||
        address.contains(QLatin1Char(' '))) {
        error = QStringLiteral("\"%1\" is not exactly one e-mail address").arg(field);
        return false;
    }
    return true;
}

bool CheckHeaderFields(const THandOff &handOff, QString &error)
{
    QString address;
    if (!SingleAddress(handOff.ToAddr, address, error)) return false;
    if (!handOff.SenderAddr.isEmpty() && !SingleAddress(handOff.SenderAddr, address, error)) {
        error = QStringLiteral("sender: ") + error;
        return false;
    }
    const QString fields[] = {handOff.ToName, handOff.SenderName, handOff.Subject};
    for (const QString &field : fields)
        if (HoldsLineBreak(field)) {
            error = QStringLiteral("a name or the subject holds a line break");
            return false;
        }
    return true;
}

bool ReadAttachments(const QStringList &files, QList<TAttachment> &attachments, QString &error)
{
    attachments.clear();
    for (const QString &path : files) {
        std::string data;
        const platform::SafeReadResult read = platform::ReadRegularFile(
            QFile::encodeName(path).toStdString(), static_cast<std::size_t>(kMaxAttachmentBytes), data);
        if (!read) {
            error = QStringLiteral("cannot attach %1: %2")
                        .arg(path, read.error == EFBIG ? QStringLiteral("it is larger than 25 MiB")
                                                       : QString::fromStdString(read.what));
            return false;
        }
        attachments.append(
            {QFileInfo(path).fileName(), QByteArrayLiteral("audio/wav"), QByteArray::fromStdString(data)});
    }
    return true;
}

bool BuildMessage(const THandOff &handOff, const QList<TAttachment> &attachments, QByteArray &message,
                  QString &error)
{
    if (!CheckHeaderFields(handOff, error)) return false;
    InitGMime();
    QString to, from;
    SingleAddress(handOff.ToAddr, to, error);

    TRef<GMimeMessage> mail(g_mime_message_new(TRUE));
    InternetAddress *recipient =
        internet_address_mailbox_new(Utf8(handOff.ToName).constData(), Utf8(to).constData());
    internet_address_set_charset(recipient, "utf-8");
    internet_address_list_add(g_mime_message_get_to(mail.get()), recipient);
    g_object_unref(recipient);
    if (!handOff.SenderAddr.isEmpty() && SingleAddress(handOff.SenderAddr, from, error)) {
        InternetAddress *sender =
            internet_address_mailbox_new(Utf8(handOff.SenderName).constData(), Utf8(from).constData());
        internet_address_set_charset(sender, "utf-8");
        internet_address_list_add(g_mime_message_get_from(mail.get()), sender);
        g_object_unref(sender);
    }
    g_mime_message_set_subject(mail.get(), Utf8(handOff.Subject).constData(), "utf-8");
    GDateTime *now = g_date_time_new_now_local();
    g_mime_message_set_date(mail.get(), now);
    g_date_time_unref(now);
    const qsizetype at = from.lastIndexOf(QLatin1Char('@'));
    const QByteArray domain = at > 0 ? Utf8(from.mid(at + 1)) : Utf8(QSysInfo::machineHostName());
    char *id = g_mime_utils_generate_message_id(domain.isEmpty() ? "localhost" : domain.constData());
    g_mime_message_set_message_id(mail.get(), id);
    g_free(id);

    TRef<GMimeMultipart> mixed(g_mime_multipart_new_with_subtype("mixed"));
    TRef<GMimeTextPart> body(g_mime_text_part_new_with_subtype("plain"));
    g_mime_text_part_set_text(body.get(), Utf8(handOff.Text).constData());
    g_mime_text_part_set_charset(body.get(), "utf-8");
    g_mime_object_encode(GMIME_OBJECT(body.get()), GMIME_ENCODING_CONSTRAINT_7BIT);
    g_mime_multipart_add(mixed.get(), GMIME_OBJECT(body.get()));
    for (const TAttachment &attachment : attachments) {
        TRef<GMimePart> part(MakeAttachmentPart(attachment));
        g_mime_multipart_add(mixed.get(), GMIME_OBJECT(part.get()));
    }
    g_mime_message_set_mime_part(mail.get(), GMIME_OBJECT(mixed.get()));

    TRef<GMimeStream> out(g_mime_stream_mem_new());
    GMimeFormatOptions *options = g_mime_format_options_new();
    g_mime_format_options_set_newline_format(options, GMIME_NEWLINE_FORMAT_UNIX);
    const ssize_t written = g_mime_object_write_to_stream(GMIME_OBJECT(mail.get()), options, out.get());
    g_mime_format_options_free(options);
    if (written < 0) {
        error = QStringLiteral("the mail could not be composed");
        return false;
    }
    const GByteArray *bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(out.get()));
    message = QByteArray(reinterpret_cast<const char *>(bytes->data), static_cast<qsizetype>(bytes->len));
    error.clear();
    return true;
}

} // namespace sender
