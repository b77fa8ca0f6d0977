# `cpack -G DEB` in the build folder: a Debian package of what `cmake --install`
# puts in place, for /usr, with stripped programs and the dependencies that
# dpkg-shlibdeps finds, plus what the programs load at run time.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillet)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "trick-taking card game with exact bidding")
set(CPACK_PACKAGE_DESCRIPTION
  "Quillet is a card game for four players in which every player bids the exact\n"
  "number of tricks he expects to take. Play a solo game against three computer\n"
  "players, or host and join games over the network. Around the table: a chat\n"
  "with phrase buttons and chatter sounds, watchers, a score card, the last\n"
  "trick and a tally of the games played and won.\n"
  "\n"
  "The package also holds the lobby, which starts games with friends, the game\n"
  "server without a window, and two tools: one for the tally file's compressed\n"
  "container and a simulator of computer-only games.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(QUILLET_MAINTAINER "The Quillet developers <developers@quillet.invalid>"
  CACHE STRING "The package's maintainer: name and mail address")
set(CPACK_PACKAGE_CONTACT "${QUILLET_MAINTAINER}")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so dpkg-shlibdeps cannot see them: the window system plugins.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# Sound goes to a PulseAudio server (PipeWire's stands in for it); without one the
# game plays silently. DejaVu Sans is the font the card pictures are drawn with.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pipewire-pulse | pulseaudio, fonts-dejavu-core")
# The native Wayland window; without it the game runs through XWayland.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

include(CPack)
