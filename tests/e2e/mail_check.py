# Checks one mail from the sink against the message that was sent; prints what is wrong, one
# line each, and exits 1 when anything is.
#   mail_check.py MAIL SUBJECT TO_ADDR DOWNLOAD_URL MESSAGE_WAV WORK_FOLDER
import email
import email.policy
import subprocess
import sys

mail_path, subject, to_addr, url, message_path, work = sys.argv[1:7]
problems = []
mail = email.message_from_binary_file(open(mail_path, "rb"), policy=email.policy.default)
message = open(message_path, "rb").read()
if str(mail["Subject"]) != subject:
    problems.append("subject %r, not %r" % (str(mail["Subject"]), subject))
if [a.addr_spec for a in mail["To"].addresses] != [to_addr]:
    problems.append("recipient %s, not %s" % (mail["To"], to_addr))
if not mail["Date"] or not mail["Message-ID"]:
    problems.append("no Date or Message-ID")
body = mail.get_body(preferencelist=("plain",))
text = body.get_content() if body else ""
if "This e-mail contains a voice message." not in text or not text.rstrip().endswith("from " + url):
    problems.append("the body is not the template ending with %s: %r" % (url, text))
parts = list(mail.iter_attachments())
names = [p.get_filename() for p in parts]
if names != ["chirpel.wav", "chirpel.mp3"]:
    problems.append("attachments %s" % names)
else:
    wav, mp3 = (p.get_content() for p in parts)
    if parts[0].get_content_type() != "audio/wav" or wav != message:
        problems.append("the wave attachment is not the message file byte for byte")
    if message[20:22] != b"\x31\x00" or message[52:56] != b"data" or len(message) - int.from_bytes(message[56:60], "little") != 60:
        problems.append("the message is not a GSM 6.10 wave with a 60-byte header")

    def seconds(data, name):
        path = "%s/%s" % (work, name)
        open(path, "wb").write(data)
        pcm = subprocess.run(["ffmpeg", "-v", "error", "-i", path, "-f", "s16le", "-ac", "1", "-ar", "8000", "-"],
                             capture_output=True, timeout=60).stdout
        return len(pcm) / 16000
    wav_s, mp3_s = seconds(wav, "got.wav"), seconds(mp3, "got.mp3")
    print("mail: message %.3f s, MP3 copy %.3f s, %d bytes" % (wav_s, mp3_s, len(mp3)))
    if wav_s < 1 or abs(wav_s - mp3_s) > 0.2:
        problems.append("the MP3 copy lasts %.3f s for a %.3f s message" % (mp3_s, wav_s))
for p in problems:
    print("FAIL: " + p)
sys.exit(1 if problems else 0)
