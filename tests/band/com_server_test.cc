// The registered class as clients reach it: COM activation by ProgID,
// IDispatch through the type library from C++, a script run by cscript, and
// the module's unload answer.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>

#include "hosts/band/zan_idl.h"
#include "tests/band/band_test_util.h"

namespace zan::test {
namespace {

std::string Property(const std::string& name) {
  return ReadText(HKEY_CURRENT_USER, kProductKey, "CSP_" + name);
}

class ComServerTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(Regsvr32(false), 0); }
  static void TearDownTestSuite() { Regsvr32(true); }

  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  }
  void TearDown() override {
    CoFreeUnusedLibrariesEx(0, 0);
    CoUninitialize();
  }

  // Calls SetClientSideProperty through IDispatch::Invoke by its DISPID.
  static HRESULT InvokeSet(IDispatch* object, VARIANT name, VARIANT value) {
    VARIANT arguments[2] = {value, name};  // the last argument comes first
    DISPPARAMS parameters{arguments, nullptr, 2, 0};
    return object->Invoke(0x60020000, IID_NULL, LOCALE_USER_DEFAULT,
                          DISPATCH_METHOD, &parameters, nullptr, nullptr,
                          nullptr);
  }
  static VARIANT Text(const wchar_t* text) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(text);
    return value;
  }
};

TEST_F(ComServerTest, BothProgIdsCreateTheClassWithItsInterfaces) {
  for (const wchar_t* prog_id : {L"RYX.ZAN", L"RYX.ZAN.1"}) {
    CLSID class_id;
    ASSERT_EQ(CLSIDFromProgID(prog_id, &class_id), S_OK);
    EXPECT_TRUE(IsEqualCLSID(class_id, CLSID_RYXToolBarObjZAN));
    IRYXToolBarObjZAN* object = nullptr;
    ASSERT_EQ(CoCreateInstance(class_id, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IRYXToolBarObjZAN,
                               reinterpret_cast<void**>(&object)),
              S_OK);
    IDispatch* dispatch = nullptr;
    EXPECT_EQ(object->QueryInterface(IID_IDispatch,
                                     reinterpret_cast<void**>(&dispatch)),
              S_OK);
    UINT count = 0;
    EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    dispatch->Release();
    // Not aggregatable.
    IUnknown* inner = nullptr;
    EXPECT_EQ(CoCreateInstance(class_id, object, CLSCTX_INPROC_SERVER,
                               IID_IUnknown, reinterpret_cast<void**>(&inner)),
              CLASS_E_NOAGGREGATION);
    object->Release();
  }
}

TEST_F(ComServerTest, SetClientSidePropertyThroughIDispatch) {
  CLSID class_id;
  ASSERT_EQ(CLSIDFromProgID(L"RYX.ZAN", &class_id), S_OK);
  IDispatch* object = nullptr;
  ASSERT_EQ(CoCreateInstance(class_id, nullptr, CLSCTX_INPROC_SERVER,
                             IID_IDispatch, reinterpret_cast<void**>(&object)),
            S_OK);
  OLECHAR method[] = L"SetClientSideProperty";
  LPOLESTR names[] = {method};
  DISPID id = 0;
  ASSERT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id),
            S_OK);
  EXPECT_EQ(id, 0x60020000);
  OLECHAR unknown[] = L"NoSuchMethod";
  names[0] = unknown;
  EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id),
            DISP_E_UNKNOWNNAME);

  VARIANT name = Text(L"color");
  VARIANT value = Text(L"red");
  EXPECT_EQ(InvokeSet(object, name, value), S_OK);
  EXPECT_EQ(Property("color"), "red");
  VariantClear(&value);

  // A number is stored as its text; a reference is followed.
  VARIANT number;
  VariantInit(&number);
  number.vt = VT_I4;
  number.lVal = 5;
  VARIANT by_reference;
  VariantInit(&by_reference);
  by_reference.vt = VT_BYREF | VT_VARIANT;
  by_reference.pvarVal = &number;
  EXPECT_EQ(InvokeSet(object, name, by_reference), S_OK);
  EXPECT_EQ(Property("color"), "5");

  // An empty name stores nothing and succeeds; a null value stores nothing.
  VARIANT empty_name = Text(L"");
  EXPECT_EQ(InvokeSet(object, empty_name, number), S_OK);
  EXPECT_EQ(Property(""), "<none>");
  VARIANT null_value;
  VariantInit(&null_value);
  null_value.vt = VT_NULL;
  // The method's failure reaches a script as an exception.
  EXPECT_EQ(InvokeSet(object, name, null_value), DISP_E_EXCEPTION);
  IRYXToolBarObjZAN* dual = nullptr;
  ASSERT_EQ(object->QueryInterface(IID_IRYXToolBarObjZAN,
                                   reinterpret_cast<void**>(&dual)),
            S_OK);
  EXPECT_EQ(dual->SetClientSideProperty(name, null_value), DISP_E_TYPEMISMATCH);
  dual->Release();
  EXPECT_EQ(Property("color"), "5");
  VariantClear(&empty_name);
  VariantClear(&name);
  object->Release();
}

TEST_F(ComServerTest, ScriptCreatesTheObjectByProgId) {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  const std::string script = std::string(folder) + "zan_band_test.js";
  {
    std::ofstream out(script, std::ios::binary);
    out << "var toolbar = new ActiveXObject(\"RYX.ZAN\");\r\n"
           "toolbar.SetClientSideProperty(\"from_script\", \"blue\");\r\n"
           "toolbar.SetClientSideProperty(\"half\", 2.5);\r\n"
           "new ActiveXObject(\"RYX.ZAN.1\").SetClientSideProperty(\"on\", "
           "true);\r\n";
  }
  EXPECT_EQ(RunProgram("cscript.exe //nologo \"" + script + "\""), 0);
  DeleteFileA(script.c_str());
  EXPECT_EQ(Property("from_script"), "blue");
  EXPECT_EQ(Property("half"), "2.5");
  EXPECT_EQ(Property("on"), "True");
}

TEST_F(ComServerTest, ModuleMayUnloadOnceTheLastObjectIsGone) {
  HMODULE module = LoadLibraryA(BandDllPath().c_str());
  ASSERT_NE(module, nullptr);
  using CanUnload = HRESULT(WINAPI*)();
  using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
  auto can_unload = reinterpret_cast<CanUnload>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
  auto get_class_object = reinterpret_cast<GetClassObject>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
  ASSERT_NE(can_unload, nullptr);
  ASSERT_NE(get_class_object, nullptr);
  ASSERT_NE(GetProcAddress(module, "DllRegisterServer"), nullptr);
  ASSERT_NE(GetProcAddress(module, "DllUnregisterServer"), nullptr);
  EXPECT_EQ(can_unload(), S_OK);

  IClassFactory* factory = nullptr;
  EXPECT_EQ(get_class_object(IID_IUnknown, IID_IClassFactory,
                             reinterpret_cast<void**>(&factory)),
            CLASS_E_CLASSNOTAVAILABLE);
  ASSERT_EQ(get_class_object(CLSID_RYXToolBarObjZAN, IID_IClassFactory,
                             reinterpret_cast<void**>(&factory)),
            S_OK);
  EXPECT_EQ(can_unload(), S_FALSE);
  IUnknown* first = nullptr;
  IUnknown* second = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown,
                                    reinterpret_cast<void**>(&first)),
            S_OK);
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown,
                                    reinterpret_cast<void**>(&second)),
            S_OK);
  factory->LockServer(TRUE);
  factory->Release();
  EXPECT_EQ(can_unload(), S_FALSE);
  first->Release();
  EXPECT_EQ(can_unload(), S_FALSE);
  second->Release();
  EXPECT_EQ(can_unload(), S_FALSE);  // still locked
  ASSERT_EQ(get_class_object(CLSID_RYXToolBarObjZAN, IID_IClassFactory,
                             reinterpret_cast<void**>(&factory)),
            S_OK);
  factory->LockServer(FALSE);
  factory->Release();
  EXPECT_EQ(can_unload(), S_OK);
  FreeLibrary(module);
}

}  // namespace
}  // namespace zan::test
