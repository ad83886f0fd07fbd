#pragma once

#include <string>

#include "camera/CameraConnection.h"

namespace lensws {

class ConfigFile;

// The service's six settings, with their built-in defaults, as config.ini overrides them:
//
//   key                      setting            how the value is used
//   SERVER_PORTS             listeningPorts     as written
//   SERVER_DUCUMENT_ROOT     documentRoot       "." means the home; anything else as written
//   SERVER_SSL_CERTICICATE   certificateFile    home + "/" + value
//   HTPASSWD_FILE            passwordFile       home + "/" + value
//   DIGEST_DOMAIN            digestDomain       as written
//   TOKEN_FILE               tokenFile          home + "/" + value
//
// and how the camera is attached, kept as written and checked when the service starts:
//   CAMERA_CONNECTION, CAMERA_SERIAL_PORT, CAMERA_BAUD_RATE, CAMERA_FLOW_CONTROL   camera
//
// The home is OCUSERVICE_HOME, or the working directory when it is unset or empty. A key
// missing from a file that was read gives the empty text. Without a readable file the defaults
// stay, relative to the working directory.
struct ServiceConfiguration {
    // Joined paths must fit the 260-character path buffers the service has always used
    // (including the terminating zero); a longer one is refused rather than cut short, since a
    // shortened path names a different file.
    static constexpr std::size_t kMaxPath = 260;

    std::string listeningPorts = "8081, 4444s";
    std::string documentRoot = ".";
    std::string certificateFile = "ssl/localhost.pem";
    std::string passwordFile = "resource/password";
    std::string digestDomain = "administration";
    std::string tokenFile = "resource/tokens.ini";
    vantrel_camera::CameraConnectionText camera;  // empty texts: a USB camera
    // The file the settings came from; empty when none was read.
    std::string configFile;

    // Where config.ini is looked for, given OCUSERVICE_HOME (nullptr when unset): "./config.ini"
    // without a home or with one longer than kMaxPath; otherwise "<home>/conf/config.ini" when
    // that file exists, else "<home>/config.ini".
    static std::string locate(const char* home);

    // Sets the six settings from a file that was read. False when a joined path is too long;
    // `problem` then names its key and nothing is changed.
    bool apply(const ConfigFile& file, const std::string& home, std::string& problem);

    // Locates config.ini for `home` (the value of OCUSERVICE_HOME, nullptr when unset), reads
    // it and applies it. False, with `problem` set, when applying refused a path.
    bool load(const char* home, std::string& problem);
};

}  // namespace lensws
