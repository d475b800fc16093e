// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/automation_object.h"

#include <windows.h>
#include <oleauto.h>

#include "platform/windows/wide_text.h"

namespace tunewell::platform {
namespace {

// COM is started once for the program's one thread and left running: the
// objects may be created at any time until the program ends.
bool StartCom() {
    static const bool started = [] {
        const HRESULT result = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        return SUCCEEDED(result) || result == RPC_E_CHANGED_MODE;
    }();
    return started;
}

class DispatchObject : public AutomationObject {
public:
    explicit DispatchObject(IDispatch* dispatch) : dispatch_(dispatch) {}
    ~DispatchObject() override { dispatch_->Release(); }
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

    bool Call(const std::string& method, const std::vector<Argument>& arguments) override {
        std::wstring name = Wide(method);
        LPOLESTR names[] = {name.data()};
        DISPID id = 0;
        if (FAILED(dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return false;
        // IDispatch takes the arguments last to first.
        std::vector<VARIANT> values(arguments.size());
        for (std::size_t i = 0; i < arguments.size(); ++i) {
            VARIANT& value = values[arguments.size() - 1 - i];
            ::VariantInit(&value);
            if (const auto* text = std::get_if<std::string>(&arguments[i])) {
                value.vt = VT_BSTR;
                value.bstrVal = ::SysAllocString(Wide(*text).c_str());
            } else {
                value.vt = VT_I2;
                value.iVal = std::get<std::int16_t>(arguments[i]);
            }
        }
        DISPPARAMS parameters{values.data(), nullptr, static_cast<UINT>(values.size()), 0};
        VARIANT result;
        ::VariantInit(&result);
        EXCEPINFO exception{};
        UINT badArgument = 0;
        const HRESULT called = dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters,
                                                 &result, &exception, &badArgument);
        ::VariantClear(&result);
        for (VARIANT& value : values) ::VariantClear(&value);
        if (exception.bstrSource) ::SysFreeString(exception.bstrSource);
        if (exception.bstrDescription) ::SysFreeString(exception.bstrDescription);
        if (exception.bstrHelpFile) ::SysFreeString(exception.bstrHelpFile);
        return SUCCEEDED(called);
    }

private:
    IDispatch* dispatch_;
};

}  // namespace

std::unique_ptr<AutomationObject> AutomationObject::Create(const std::string& progId) {
    if (!StartCom()) return nullptr;
    CLSID classId{};
    if (FAILED(::CLSIDFromProgID(Wide(progId).c_str(), &classId))) return nullptr;
    IDispatch* dispatch = nullptr;
    if (FAILED(::CoCreateInstance(classId, nullptr, CLSCTX_ALL, IID_IDispatch, reinterpret_cast<void**>(&dispatch))) ||
        dispatch == nullptr)
        return nullptr;
    return std::make_unique<DispatchObject>(dispatch);
}

}  // namespace tunewell::platform
