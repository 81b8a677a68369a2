#pragma once

// Process control of the platform: what the library needs is the process id.
class syProcessControl {
public:
    int getpid() const;
};
