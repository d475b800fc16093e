// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace tunewell::platform {

// A scriptable object another program registers with the system (COM
// automation through IDispatch on Windows), created by its programmatic
// name and called by method name. Linux has no such objects: Create gives
// nothing there.
class AutomationObject {
public:
    // Text goes over as a BSTR, numbers as 16-bit integers (VT_I2).
    using Argument = std::variant<std::string, std::int16_t>;

    virtual ~AutomationObject() = default;

    // The object registered as `progId` ("ThunderAgent.Agent"); nullptr
    // when it is not installed or cannot be created.
    static std::unique_ptr<AutomationObject> Create(const std::string& progId);

    // Calls a method with the arguments in their written order; false
    // when the object has no such method or the call fails.
    virtual bool Call(const std::string& method, const std::vector<Argument>& arguments) = 0;
};

}  // namespace tunewell::platform
