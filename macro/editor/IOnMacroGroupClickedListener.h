#pragma once

#include <string>

// Hears clicks on the rows of the macro group list.
class IOnMacroGroupClickedListener {
public:
    virtual ~IOnMacroGroupClickedListener() = default;
    virtual void onMacroGroupClicked(int position, const std::wstring& name) = 0;
};
