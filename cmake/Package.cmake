# The Debian package (cpack -G DEB in a build configured for /usr, e.g. the `package` preset):
# dependencies from the binaries themselves, plus the programs the sender calls.
set(CPACK_PACKAGE_NAME chirpel)
set(CPACK_PACKAGE_VENDOR "The Chirpel developers")
set(CPACK_PACKAGE_CONTACT "Chirpel developers <${CHIRPEL_MAINTAINER_EMAIL}>")
set(CPACK_PACKAGE_HOMEPAGE_URL "${CHIRPEL_HOMEPAGE}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "voice messages for young children")
# The summary is the package's one-line synopsis; CPack indents these lines below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Chirpel lets a young child record a short spoken message, listen to it
and send it by e-mail to a grown-up that a parent chose, with three big
picture buttons and no reading needed. Parents decide the recipient, the
length limit, the child's name and a full-screen shield behind a menu
that opens only with Ctrl and a click.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libpulse is loaded when sound is first used, so the libraries the program links do not name it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils, libpulse0")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "default-mta | mail-transport-agent, pulseaudio | pipewire-pulse")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "msmtp-mta")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
include(CPack)
