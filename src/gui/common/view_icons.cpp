// The configuration view's pictures taken from the Oxygen theme, drawn when the theme is missing.
#include "gui/common/view_icons.h"

#include <QColor>
#include <array>

#include "gui/common/theme_icons.h"

namespace pelgo::gui {
namespace {

const std::array<IconLook, kViewIconCount>& ViewLooks() {
    static const std::array<IconLook, kViewIconCount> looks = {{
        {"actions", "draw-polygon", 0x607080, '*'},                    // 0 plain item
        {"devices", "network-wired", 0x606060, 'N'},                   // 1 network adapter
        {"categories", "applications-system", 0x2050a0, 'S'},          // 2 system, software
        {"devices", "computer", 0x2050a0, 'C'},                        // 3 section
        {"places", "user-identity", 0x308030, 'U'},                    // 4 user
        {"devices", "media-floppy", 0x505050, 'F'},                    // 5 removable drive
        {"devices", "drive-harddisk", 0x707070, 'H'},                  // 6 hard disk
        {"devices", "drive-optical", 0x707070, 'O'},                   // 7 CD-ROM drive
        {"places", "folder-remote", 0xd8a020, 'R'},                    // 8 network drive
        {"devices", "input-keyboard", 0x505050, 'K'},                  // 9 keyboard
        {"devices", "input-mouse", 0x505050, 'M'},                     // 10 mouse
        {"devices", "modem", 0x409090, 'm'},                           // 11 modem
        {"devices", "video-display", 0x3070c0, 'D'},                   // 12 monitor
        {"devices", "scanner", 0x905030, 'S'},                         // 13 scanner
        {"places", "network-workgroup", 0x209060, 'W'},                // 14 networked computers
        {"devices", "printer", 0x704090, 'P'},                         // 15 printer
        {"places", "folder-network", 0xd8a020, 'A'},                   // 16 remote access
        {"categories", "system-help", 0x3060c0, '?'},                  // 17 changes
        {"devices", "drive-removable-media-usb", 0x2060a0, 'U'},       // 18 USB
        {"devices", "internal", 0x909090, '*'},                        // 19 BIOS, processor, device
        {"devices", "media-flash", 0x606060, 'I'},                     // 20 SCSI
        {"places", "start-here", 0x3080c0, 'B'},                       // 21 start-up
        {"devices", "media-flash-memory-stick", 0x308030, 'R'},        // 22 memory module
        {"apps", "krdc", 0x209060, 'L'},                               // 23 remote-access lines
        {"apps", "preferences-desktop-display", 0x76b900, 'N'},        // 24 NVIDIA
        {"devices", "secure-card", 0x806020, 'P'},                     // 25 PCMCIA card
        {"devices", "network-wireless", 0xa03030, 'I'},                // 26 infrared
        {"devices", "audio-card", 0x804080, 'A'},                      // 27 multimedia
        {"apps", "preferences-desktop-display-color", 0xc02020, 'A'},  // 28 ATI
        {"apps", "xorg", 0x3070c0, 'V'},                               // 29 video adapter
        {"mimetypes", "text-x-log", 0x808080, 'L'},                    // 30 journal, log
        {"mimetypes", "application-x-executable", 0x2050a0, 'P'},      // 31 software line
        {"apps", "system-software-update", 0x3080c0, 'U'},             // 32 system updates
        {"places", "folder-publicshare", 0xd8a020, 'S'},               // 33 shared folder
        {"apps", "preferences-system-network-sharing", 0xc08040, 'H'}, // 34 shared resource
        {"actions", "configure", 0x707070, 'R'},                       // 35 repairs
        {"actions", "system-upgrade", 0xd0a000, 'U'},                  // 36 upgrades
        {"devices", "media-optical", 0x909090, 'O'},                   // 37 optical disc
        {"status", "dialog-warning", 0xd0a000, '!'},                   // 38 history, alarms
        {"devices", "cpu", 0x406040, 'C'},                             // 39 processor
        {"apps", "internet-mail", 0x3060c0, '@'},                      // 40 mail accounts
        {"devices", "input-tablet", 0x505050, 'I'},                    // 41 input devices
        {"apps", "kalarm", 0xa03030, 'W'},                             // 42 alarm dates
        {"devices", "battery", 0xb03030, 'B'},                         // 43 battery
        {"apps", "preferences-system-bluetooth", 0x2050c0, 'B'},       // 44 Bluetooth
        {"devices", "drive-removable-media", 0x606060, 'F'},           // 45 IEEE 1394
        {"actions", "dialog-ok-apply", 0x30a030, 'V'},                 // 46 signature correct
        {"actions", "dialog-cancel", 0xc02020, 'X'},                   // 47 signature wrong
        {"devices", "media-tape", 0x505050, 'T'},                      // 48 tape
    }};
    return looks;
}

} // namespace

QIcon ViewIcon(int number) {
    static auto* cache = new std::array<QIcon, kViewIconCount>;
    return CachedIcon(*cache, ViewLooks(),
                      number >= 0 && number < kViewIconCount ? static_cast<std::size_t>(number) : 0);
}

} // namespace pelgo::gui
