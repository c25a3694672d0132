#pragma once

// A tab page that keeps settings of its own. The main window has every such
// page write them when it receives its close request.
class PageSettings
{
public:
    virtual ~PageSettings() = default;
    virtual void writeSettings() const = 0;
};
