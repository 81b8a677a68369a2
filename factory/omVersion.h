#pragma once

// The library's version, "MAJOR.MINOR.PATCH".
const char* om_version();
