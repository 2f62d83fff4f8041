# A loopback SMTP sink: each mail it accepts lands whole in a folder as <n>.eml beside <n>.rcpt (the
# envelope's recipients); while the folder holds a file "down" it refuses mail. Run it through aiosmtpd:
#   PYTHONPATH=tests/e2e /usr/bin/python3 -m aiosmtpd -n -l 127.0.0.1:PORT -c smtp_sink.MailSaver FOLDER
import os


class MailSaver:
    def __init__(self, folder):
        self.folder = folder
        os.makedirs(folder, exist_ok=True)

    @classmethod
    def from_cli(cls, parser, folder):
        return cls(folder)

    async def handle_MAIL(self, server, session, envelope, address, mail_options):
        if os.path.exists(os.path.join(self.folder, "down")):
            return "421 4.3.2 Service not available"
        envelope.mail_from = address
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        base = os.path.join(self.folder, str(len([f for f in os.listdir(self.folder) if f.endswith(".eml")])))
        with open(base + ".rcpt", "w") as f:
            f.write("\n".join(envelope.rcpt_tos) + "\n")
        # Whole or not at all: a reader polling for .eml never sees half a mail.
        with open(base + ".part", "wb") as f:
            f.write(envelope.original_content or envelope.content)
        os.rename(base + ".part", base + ".eml")
        return "250 OK"
