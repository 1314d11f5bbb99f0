#pragma once

// The options of one open SANE device, looked up by name every time: a backend
// may change descriptors (activity, constraints) whenever an option is set, so
// nothing about them is cached here.

#include <sane/sane.h>
#include <string>
#include <vector>

class SaneOptions
{
public:
    explicit SaneOptions(SANE_Handle handle) : m_handle(handle) {}

    // Index of the named option, or -1 when the device has none of that name.
    int find(const char* name) const;
    const SANE_Option_Descriptor* descriptor(int index) const;
    bool isActive(int index) const;

    // Numbers are read and written as doubles whether the option is INT or FIXED.
    bool number(int index, double& value) const;
    bool text(int index, std::string& value) const;
    std::vector<std::string> textChoices(int index) const;
    bool numberRange(int index, double& min, double& max) const;

    // Sets a value; inexact becomes true when the backend said SANE_INFO_INEXACT
    // or reads back something other than what was asked for.
    SANE_Status setNumber(int index, double value, bool& inexact);
    SANE_Status setText(int index, const std::string& value, bool& inexact);
    SANE_Status setBool(int index, bool value);
    // "name=value" as a user would type it: strings as given, numbers, yes/no.
    SANE_Status setFromAssignment(const std::string& assignment, bool& inexact);

    // Convenience: by name, -1/false when absent.
    bool numberByName(const char* name, double& value) const;
    bool textByName(const char* name, std::string& value) const;

private:
    SANE_Status setRaw(int index, void* value, SANE_Int& info);

    SANE_Handle m_handle;
};
