#pragma once

#include <QString>

namespace shell {

// The maker's web sites, which the link buttons of both windows open.
enum class Site {
    Main,     // the main web site
    Library,  // the library of religious information
    Seminary, // the audio seminary
};

// The web address of a site: "http" and a host name, nothing more.
QString addressOf(Site site);

} // namespace shell
