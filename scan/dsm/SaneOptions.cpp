#include "SaneOptions.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

int SaneOptions::find(const char* name) const
{
    for (int i = 1;; ++i) {
        const SANE_Option_Descriptor* d = sane_get_option_descriptor(m_handle, i);
        if (!d)
            return -1;
        if (d->name && std::strcmp(d->name, name) == 0)
            return i;
    }
}

const SANE_Option_Descriptor* SaneOptions::descriptor(int index) const
{
    return index > 0 ? sane_get_option_descriptor(m_handle, index) : nullptr;
}

bool SaneOptions::isActive(int index) const
{
    const SANE_Option_Descriptor* d = descriptor(index);
    return d && SANE_OPTION_IS_ACTIVE(d->cap);
}

static double wordToNumber(SANE_Value_Type type, SANE_Word w)
{
    return type == SANE_TYPE_FIXED ? SANE_UNFIX(w) : double(w);
}

bool SaneOptions::number(int index, double& value) const
{
    const SANE_Option_Descriptor* d = descriptor(index);
    if (!d || (d->type != SANE_TYPE_INT && d->type != SANE_TYPE_FIXED) || !isActive(index))
        return false;
    std::vector<SANE_Word> buf(std::max<size_t>(1, d->size / sizeof(SANE_Word)));
    if (sane_control_option(m_handle, index, SANE_ACTION_GET_VALUE, buf.data(), nullptr) !=
        SANE_STATUS_GOOD)
        return false;
    value = wordToNumber(d->type, buf[0]);
    return true;
}

bool SaneOptions::text(int index, std::string& value) const
{
    const SANE_Option_Descriptor* d = descriptor(index);
    if (!d || d->type != SANE_TYPE_STRING || !isActive(index))
        return false;
    std::vector<char> buf(d->size + 1, '\0');
    if (sane_control_option(m_handle, index, SANE_ACTION_GET_VALUE, buf.data(), nullptr) !=
        SANE_STATUS_GOOD)
        return false;
    value = buf.data();
    return true;
}

std::vector<std::string> SaneOptions::textChoices(int index) const
{
    std::vector<std::string> out;
    const SANE_Option_Descriptor* d = descriptor(index);
    if (d && d->constraint_type == SANE_CONSTRAINT_STRING_LIST) {
        for (const SANE_String_Const* s = d->constraint.string_list; *s; ++s)
            out.emplace_back(*s);
    }
    return out;
}

bool SaneOptions::numberRange(int index, double& min, double& max) const
{
    const SANE_Option_Descriptor* d = descriptor(index);
    if (!d)
        return false;
    if (d->constraint_type == SANE_CONSTRAINT_RANGE) {
        min = wordToNumber(d->type, d->constraint.range->min);
        max = wordToNumber(d->type, d->constraint.range->max);
        return true;
    }
    if (d->constraint_type == SANE_CONSTRAINT_WORD_LIST && d->constraint.word_list[0] > 0) {
        const SANE_Word* list = d->constraint.word_list;
        min = max = wordToNumber(d->type, list[1]);
        for (int i = 2; i <= list[0]; ++i) {
            min = std::min(min, wordToNumber(d->type, list[i]));
            max = std::max(max, wordToNumber(d->type, list[i]));
        }
        return true;
    }
    return false;
}

SANE_Status SaneOptions::setRaw(int index, void* value, SANE_Int& info)
{
    info = 0;
    if (!isActive(index))
        return SANE_STATUS_INVAL;
    return sane_control_option(m_handle, index, SANE_ACTION_SET_VALUE, value, &info);
}

SANE_Status SaneOptions::setNumber(int index, double value, bool& inexact)
{
    inexact = false;
    const SANE_Option_Descriptor* d = descriptor(index);
    if (!d || (d->type != SANE_TYPE_INT && d->type != SANE_TYPE_FIXED))
        return SANE_STATUS_INVAL;
    std::vector<SANE_Word> buf(std::max<size_t>(1, d->size / sizeof(SANE_Word)));
    SANE_Word w = d->type == SANE_TYPE_FIXED ? SANE_FIX(value) : SANE_Word(std::lround(value));
    for (SANE_Word& x : buf)
        x = w;
    SANE_Int info = 0;
    SANE_Status st = setRaw(index, buf.data(), info);
    if (st != SANE_STATUS_GOOD)
        return st;
    double back = 0;
    // Fixed point holds 1/65536 steps: anything closer than that is the same value.
    inexact = (info & SANE_INFO_INEXACT) || !number(index, back) || std::fabs(back - value) > 1e-4;
    return st;
}

SANE_Status SaneOptions::setText(int index, const std::string& value, bool& inexact)
{
    inexact = false;
    const SANE_Option_Descriptor* d = descriptor(index);
    if (!d || d->type != SANE_TYPE_STRING)
        return SANE_STATUS_INVAL;
    std::vector<char> buf(std::max<size_t>(d->size, value.size() + 1), '\0');
    std::memcpy(buf.data(), value.c_str(), value.size());
    SANE_Int info = 0;
    SANE_Status st = setRaw(index, buf.data(), info);
    if (st != SANE_STATUS_GOOD)
        return st;
    std::string back;
    inexact = (info & SANE_INFO_INEXACT) || !text(index, back) || back != value;
    return st;
}

SANE_Status SaneOptions::setBool(int index, bool value)
{
    const SANE_Option_Descriptor* d = descriptor(index);
    if (!d || d->type != SANE_TYPE_BOOL)
        return SANE_STATUS_INVAL;
    SANE_Word w = value ? SANE_TRUE : SANE_FALSE;
    SANE_Int info = 0;
    return setRaw(index, &w, info);
}

SANE_Status SaneOptions::setFromAssignment(const std::string& assignment, bool& inexact)
{
    inexact = false;
    const size_t eq = assignment.find('=');
    if (eq == std::string::npos || eq == 0)
        return SANE_STATUS_INVAL;
    const std::string name = assignment.substr(0, eq);
    const std::string value = assignment.substr(eq + 1);
    const int index = find(name.c_str());
    const SANE_Option_Descriptor* d = descriptor(index);
    if (!d)
        return SANE_STATUS_UNSUPPORTED;
    switch (d->type) {
    case SANE_TYPE_STRING:
        return setText(index, value, inexact);
    case SANE_TYPE_BOOL:
        if (value == "yes" || value == "true" || value == "1")
            return setBool(index, true);
        if (value == "no" || value == "false" || value == "0")
            return setBool(index, false);
        return SANE_STATUS_INVAL;
    case SANE_TYPE_INT:
    case SANE_TYPE_FIXED: {
        char* end = nullptr;
        const double v = std::strtod(value.c_str(), &end);
        if (value.empty() || *end != '\0')
            return SANE_STATUS_INVAL;
        return setNumber(index, v, inexact);
    }
    default:
        return SANE_STATUS_UNSUPPORTED;
    }
}

bool SaneOptions::numberByName(const char* name, double& value) const
{
    const int i = find(name);
    return i > 0 && number(i, value);
}

bool SaneOptions::textByName(const char* name, std::string& value) const
{
    const int i = find(name);
    return i > 0 && text(i, value);
}
