// The COM backend against the system's own COM and OLE Automation: VARIANTs and SAFEARRAYs made
// and read by oleaut32, an IDispatch object of the test's receiving the calls the dispatch layer
// makes, the message filter registered with ole32, and the window calls. Windows only (Wine in
// the cross build).
#include "cad/com/com_variant.h"

#include <gtest/gtest.h>
#include <oaidl.h>
#include <objbase.h>
#include <windows.h>

#include <cwchar>
#include <string>
#include <thread>
#include <vector>

#include "cad/com/com_dispatch.h"
#include "cad/com/com_message_filter.h"
#include "cad/com/win32_desktop.h"
#include "cad/dispatch/dispatch_objects.h"

namespace vorn::cad::com {
namespace {

using dispatch::DispatchMissing;
using dispatch::DispatchObjectPtr;
using dispatch::DispatchValue;

// COM for the test's thread, as the program's window thread has it.
class Apartment : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  }
  void TearDown() override { CoUninitialize(); }
};

using VariantRoundTrip = Apartment;

TEST_F(VariantRoundTrip, EveryKindComesBackAsItWent) {
  const std::vector<DispatchValue> values{
      DispatchValue{},
      DispatchMissing{},
      true,
      false,
      int16_t{-5},
      int32_t{70000},
      int64_t{0x7FF612345678},
      -0.125,
      std::string("日影 VORN_1 \xF0\x9F\x8F\xA0"),
      std::string(),
      std::vector<double>{1.5, -2, 1e300},
      std::vector<double>{},
      std::vector<int16_t>{0, 8, -4},
      std::vector<DispatchValue>{"CIRCLE,TEXT", 2.5, int16_t{3}, std::vector<double>{1, 2}},
  };
  for (const DispatchValue& value : values) {
    SCOPED_TRACE(dispatch::Describe(value));
    OwnedVariant variant;
    ToVariant(value, *variant.get());
    EXPECT_EQ(dispatch::Describe(FromVariant(*variant)), dispatch::Describe(value));
  }
}

TEST_F(VariantRoundTrip, APointIsAZeroBasedSafeArrayOfThreeDoubles) {
  OwnedVariant variant;
  ToVariant(std::vector<double>{10.5, -20, 3}, *variant.get());
  ASSERT_EQ((*variant).vt, VT_ARRAY | VT_R8);
  SAFEARRAY* array = (*variant).parray;
  EXPECT_EQ(SafeArrayGetDim(array), 1u);
  LONG lower = -1, upper = -1;
  SafeArrayGetLBound(array, 1, &lower);
  SafeArrayGetUBound(array, 1, &upper);
  EXPECT_EQ(lower, 0);
  EXPECT_EQ(upper, 2);
  const double expected[] = {10.5, -20, 3};
  for (LONG i = 0; i <= 2; ++i) {
    double item = 0;
    ASSERT_EQ(SafeArrayGetElement(array, &i, &item), S_OK);
    EXPECT_EQ(item, expected[i]);
  }
}

TEST_F(VariantRoundTrip, AFilterIsShortCodesBesideVariantValues) {
  OwnedVariant codes;
  OwnedVariant values;
  ToVariant(std::vector<int16_t>{0, 8}, *codes.get());
  ToVariant(std::vector<DispatchValue>{"CIRCLE,TEXT", "建物"}, *values.get());
  ASSERT_EQ((*codes).vt, VT_ARRAY | VT_I2);
  ASSERT_EQ((*values).vt, VT_ARRAY | VT_VARIANT);
  LONG index = 1;
  SHORT code = 0;
  ASSERT_EQ(SafeArrayGetElement((*codes).parray, &index, &code), S_OK);
  EXPECT_EQ(code, 8);
  VARIANT item;
  VariantInit(&item);
  ASSERT_EQ(SafeArrayGetElement((*values).parray, &index, &item), S_OK);
  ASSERT_EQ(item.vt, VT_BSTR);
  EXPECT_EQ(std::wstring(item.bstrVal, SysStringLen(item.bstrVal)), L"建物");
  VariantClear(&item);
}

TEST_F(VariantRoundTrip, TextsAreUtf16AndALeftOutParameterIsParamNotFound) {
  OwnedVariant text;
  ToVariant(std::string("時刻日影図"), *text.get());
  ASSERT_EQ((*text).vt, VT_BSTR);
  EXPECT_EQ(std::wstring((*text).bstrVal, SysStringLen((*text).bstrVal)), L"時刻日影図");
  OwnedVariant missing;
  ToVariant(DispatchMissing{}, *missing.get());
  EXPECT_EQ((*missing).vt, VT_ERROR);
  EXPECT_EQ((*missing).scode, DISP_E_PARAMNOTFOUND);
  OwnedVariant flag;
  ToVariant(true, *flag.get());
  EXPECT_EQ((*flag).vt, VT_BOOL);
  EXPECT_EQ((*flag).boolVal, VARIANT_TRUE);
  OwnedVariant bad;
  EXPECT_THROW(ToVariant(std::string("\xFF\xFE"), *bad.get()), CadError);
}

// VARIANTs as a CAD may answer, made with oleaut32's own functions.
TEST_F(VariantRoundTrip, OtherKindsACadMayAnswerAreRead) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_UI1;
  v.bVal = 200;
  EXPECT_EQ(dispatch::Describe(FromVariant(v)), "I2 200");
  v.vt = VT_R4;
  v.fltVal = 0.5f;
  EXPECT_EQ(dispatch::Describe(FromVariant(v)), "R8 0.5");
  v.vt = VT_NULL;
  EXPECT_EQ(dispatch::Describe(FromVariant(v)), "Empty");
  ASSERT_EQ(VarCyFromR8(12.25, &v.cyVal), S_OK);
  v.vt = VT_CY;
  EXPECT_EQ(dispatch::Describe(FromVariant(v)), "R8 12.25");
  LONG target = 42;
  v.vt = VT_BYREF | VT_I4;
  v.plVal = &target;
  EXPECT_EQ(dispatch::Describe(FromVariant(v)), "I4 42");
  v.vt = VT_UI8;
  v.ullVal = ~0ULL;
  EXPECT_THROW(FromVariant(v), CadError);
  v.vt = VT_ERROR;
  v.scode = E_FAIL;
  EXPECT_THROW(FromVariant(v), CadError);
}

TEST_F(VariantRoundTrip, ArraysOfOtherElementsBoundsAndDimensions) {
  // A one-based array of longs, as some CADs give coordinates or IDs.
  SAFEARRAYBOUND bound{3, 1};
  SAFEARRAY* longs = SafeArrayCreate(VT_I4, 1, &bound);
  for (LONG i = 1; i <= 3; ++i) {
    LONG value = i * 100;
    SafeArrayPutElement(longs, &i, &value);
  }
  OwnedVariant a;
  (*a.get()).vt = VT_ARRAY | VT_I4;
  (*a.get()).parray = longs;
  EXPECT_EQ(dispatch::Describe(FromVariant(*a)), "VARIANT[] {I4 100, I4 200, I4 300}");

  SAFEARRAY* texts = SafeArrayCreateVector(VT_BSTR, 0, 1);
  LONG zero = 0;
  BSTR word = SysAllocString(L"AcDbLine");
  SafeArrayPutElement(texts, &zero, word);
  SysFreeString(word);
  OwnedVariant b;
  (*b.get()).vt = VT_ARRAY | VT_BSTR;
  (*b.get()).parray = texts;
  EXPECT_EQ(dispatch::Describe(FromVariant(*b)), "VARIANT[] {BSTR \"AcDbLine\"}");

  SAFEARRAYBOUND square[2] = {{2, 0}, {2, 0}};
  OwnedVariant c;
  (*c.get()).vt = VT_ARRAY | VT_R8;
  (*c.get()).parray = SafeArrayCreate(VT_R8, 2, square);
  EXPECT_THROW(FromVariant(*c), CadError);
}

// An automation object of the test's: it records what Invoke receives and answers from a
// small script, with the server's exception for a member that "fails".
class RecordingDispatch final : public IDispatch {
 public:
  struct Received {
    std::wstring member;
    WORD flags = 0;
    std::vector<VARTYPE> types;  // in the member's order
    UINT named = 0;
  };

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID,
                                          DISPID* ids) override {
    for (std::size_t i = 0; i < kMembers.size(); ++i) {
      if (_wcsicmp(names[0], kMembers[i]) == 0) {
        ids[0] = static_cast<DISPID>(i + 1);
        return S_OK;
      }
    }
    ids[0] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT*) override {
    Received call{kMembers[static_cast<std::size_t>(id - 1)], flags, {}, params->cNamedArgs};
    for (UINT i = params->cArgs; i-- > 0;) call.types.push_back(params->rgvarg[i].vt);
    received.push_back(call);
    const std::wstring member = call.member;
    if (member == L"SendCommand") {
      exception->wCode = 0;
      exception->scode = E_FAIL;
      exception->bstrDescription = SysAllocString(L"コマンドを実行できません");
      return DISP_E_EXCEPTION;
    }
    if (member == L"GetEntity") {
      // Out arguments 1 and 2 (rgvarg[2] and rgvarg[1]): this object and a pick point.
      *params->rgvarg[2].ppdispVal = this;
      AddRef();
      VARIANT point;
      VariantInit(&point);
      ToVariant(std::vector<double>{7, 8, 0}, point);
      *params->rgvarg[1].pvarVal = point;
      return S_OK;
    }
    if (member == L"ObjectID" && result != nullptr) {
      result->vt = VT_I8;
      result->llVal = 0x7FF600001234;
    }
    if (member == L"EntityName" && result != nullptr) {
      result->vt = VT_BSTR;
      result->bstrVal = SysAllocString(L"AcDbCircle");
    }
    return S_OK;
  }

  static inline const std::vector<const wchar_t*> kMembers{
      L"SetVariable", L"SendCommand", L"GetEntity", L"ObjectID",
      L"EntityName",  L"color",       L"Select"};
  ULONG references = 1;
  std::vector<Received> received;
};

using ComDispatch = Apartment;

TEST_F(ComDispatch, ArgumentsArriveInReverseWithTheirTypesAndPutsAreNamed) {
  RecordingDispatch server;
  {
    auto object = std::make_shared<ComDispatchObject>(&server);
    dispatch::WrapDocument(object)->SetVariable("FILEDIA", CadValue{int32_t{0}});
    dispatch::WrapEntity(object)->SetColor(3);
    dispatch::WrapSelectionSet(object)->Select(kSelectCrossing, {0, 0, 0}, {5, 5, 0},
                                               {{0}, {"LINE"}});
    EXPECT_EQ(dispatch::WrapEntity(object)->ObjectID(), int64_t{0x7FF600001234});
  }
  EXPECT_EQ(server.references, 1u);  // every reference the wrappers took is given back
  ASSERT_EQ(server.received.size(), 4u);
  EXPECT_EQ(server.received[0].member, L"SetVariable");
  EXPECT_EQ(server.received[0].flags, DISPATCH_METHOD | DISPATCH_PROPERTYGET);
  EXPECT_EQ(server.received[0].types, (std::vector<VARTYPE>{VT_BSTR, VT_I2}));
  EXPECT_EQ(server.received[1].flags, DISPATCH_PROPERTYPUT);
  EXPECT_EQ(server.received[1].named, 1u);
  EXPECT_EQ(server.received[1].types, (std::vector<VARTYPE>{VT_I4}));
  EXPECT_EQ(server.received[2].types,
            (std::vector<VARTYPE>{VT_I4, VT_ARRAY | VT_R8, VT_ARRAY | VT_R8, VT_ARRAY | VT_I2,
                                  VT_ARRAY | VT_VARIANT}));
  EXPECT_EQ(server.received[3].flags, DISPATCH_PROPERTYGET);
}

TEST_F(ComDispatch, OutArgumentsComeBackAndFailuresCarryTheServersText) {
  RecordingDispatch server;
  {
    auto object = std::make_shared<ComDispatchObject>(&server);
    const PickedEntity picked = dispatch::WrapUtility(object)->GetEntity("選択: ");
    EXPECT_EQ(picked.entity->EntityName(), "AcDbCircle");
    EXPECT_EQ(picked.pickPoint.x, 7);
    EXPECT_EQ(picked.pickPoint.y, 8);
    try {
      dispatch::WrapDocument(object)->SendCommand("ID\r");
      FAIL() << "no error";
    } catch (const CadError& e) {
      EXPECT_EQ(std::string(e.what()),
                "Document.SendCommand: コマンドを実行できません [0x80004005] (HRESULT "
                "0x80020009)");
    }
    try {
      dispatch::WrapEntity(object)->Radius();
      FAIL() << "no error";
    } catch (const CadError& e) {
      EXPECT_NE(std::string(e.what()).find("Entity.Radius: "), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("(HRESULT 0x80020006)"), std::string::npos) << e.what();
    }
  }
  EXPECT_EQ(server.received[0].types,
            (std::vector<VARTYPE>{VT_BYREF | VT_DISPATCH, VT_BYREF | VT_VARIANT, VT_BSTR}));
  EXPECT_EQ(server.references, 1u);
}

TEST_F(ComDispatch, AProgIdWithoutAClassIsNoRunningCad) {
  ComRunningObjects running;
  dispatch::DispatchConnector connector(running);
  EXPECT_FALSE(connector.HasActiveObject("Vorn.NoSuchCad.Application"));
  try {
    connector.GetActiveObject("Vorn.NoSuchCad.Application");
    FAIL() << "no error";
  } catch (const CadError& e) {
    EXPECT_NE(std::string(e.what()).find("GetActiveObject(Vorn.NoSuchCad.Application): "),
              std::string::npos)
        << e.what();
    EXPECT_NE(std::string(e.what()).find("HRESULT 0x800401F3"), std::string::npos) << e.what();
  }
}

// A server whose IDispatch is oleaut32's own (CreateStdDispatch over a type description), so
// that the system's Invoke decides whether the calls' flags and argument types fit the members
// as declared.
class TypedServer : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  // The members, in the order of the type description's vtable indices 3...
  virtual LONG STDMETHODCALLTYPE Count() { return 3; }
  virtual IDispatch* STDMETHODCALLTYPE Item(LONG index) {
    items.push_back(index);
    dispatch->AddRef();
    return dispatch;
  }
  virtual void STDMETHODCALLTYPE SetVariable(BSTR name, VARIANT value) {
    variables.push_back(std::wstring(name) + L"=" + std::to_wstring(value.vt) + L":" +
                        std::to_wstring(value.vt == VT_I2 ? value.iVal : -1));
  }
  virtual BSTR STDMETHODCALLTYPE Name() { return SysAllocString(L"建物"); }
  virtual void STDMETHODCALLTYPE PutColor(LONG colour) { colours.push_back(colour); }

  IDispatch* dispatch = nullptr;
  std::vector<LONG> items;
  std::vector<std::wstring> variables;
  std::vector<LONG> colours;
};

class TypedDispatch : public Apartment {
 protected:
  void SetUp() override {
    Apartment::SetUp();
    ASSERT_EQ(CreateDispTypeInfo(&description_, LOCALE_SYSTEM_DEFAULT, &typeInfo), S_OK);
    UseInterfaceOfClass();
    IUnknown* unknown = nullptr;
    ASSERT_EQ(CreateStdDispatch(nullptr, &server, typeInfo, &unknown), S_OK);
    ASSERT_EQ(unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&server.dispatch)),
              S_OK);
    unknown->Release();
  }
  void TearDown() override {
    if (server.dispatch != nullptr) server.dispatch->Release();
    if (typeInfo != nullptr) typeInfo->Release();
    Apartment::TearDown();
  }

  TypedServer server;
  ITypeInfo* typeInfo = nullptr;

 private:
  static OLECHAR* Text(const wchar_t* text) { return const_cast<OLECHAR*>(text); }

  // Some systems describe the object as a class implementing the interface; the dispatch
  // needs the interface's own description.
  void UseInterfaceOfClass() {
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(typeInfo->GetTypeAttr(&attributes), S_OK);
    const bool isClass = attributes->typekind == TKIND_COCLASS;
    typeInfo->ReleaseTypeAttr(attributes);
    if (!isClass) return;
    HREFTYPE reference = 0;
    ITypeInfo* interfaceInfo = nullptr;
    ASSERT_EQ(typeInfo->GetRefTypeOfImplType(0, &reference), S_OK);
    ASSERT_EQ(typeInfo->GetRefTypeInfo(reference, &interfaceInfo), S_OK);
    typeInfo->Release();
    typeInfo = interfaceInfo;
  }

  PARAMDATA index_[1] = {{Text(L"Index"), VT_I4}};
  PARAMDATA variable_[2] = {{Text(L"Name"), VT_BSTR}, {Text(L"Value"), VT_VARIANT}};
  PARAMDATA colour_[1] = {{Text(L"color"), VT_I4}};
  // Vtable indices from 3, after IUnknown's three.
  METHODDATA methods_[5] = {
      {Text(L"Count"), nullptr, 1, 3, CC_STDCALL, 0, DISPATCH_PROPERTYGET, VT_I4},
      {Text(L"Item"), index_, 2, 4, CC_STDCALL, 1, DISPATCH_METHOD, VT_DISPATCH},
      {Text(L"SetVariable"), variable_, 3, 5, CC_STDCALL, 2, DISPATCH_METHOD, VT_EMPTY},
      {Text(L"Name"), nullptr, 4, 6, CC_STDCALL, 0, DISPATCH_PROPERTYGET, VT_BSTR},
      {Text(L"color"), colour_, 5, 7, CC_STDCALL, 1, DISPATCH_PROPERTYPUT, VT_EMPTY},
  };
  INTERFACEDATA description_{methods_, 5};
};

TEST_F(TypedDispatch, TheSystemsInvokeAcceptsTheCallsAsTheMembersDeclareThem) {
  auto object = std::make_shared<ComDispatchObject>(server.dispatch);
  const auto block = dispatch::WrapBlock(object);
  EXPECT_EQ(block->Count(), 3);
  EXPECT_EQ(block->Item(2)->Name(), "建物");
  dispatch::WrapDocument(object)->SetVariable("SNAPMODE", CadValue{int32_t{1}});
  EXPECT_EQ(dispatch::WrapEntity(object)->Name(), "建物");
  dispatch::WrapEntity(object)->SetColor(5);
  EXPECT_EQ(server.items, (std::vector<LONG>{2}));
  EXPECT_EQ(server.variables, (std::vector<std::wstring>{L"SNAPMODE=2:1"}));
  EXPECT_EQ(server.colours, (std::vector<LONG>{5}));
  EXPECT_THROW(dispatch::WrapEntity(object)->Radius(), CadError);  // no such member
}

using MessageFilter = Apartment;

TEST_F(MessageFilter, AnswersThroughTheSystemInterface) {
  ComMessageFilter filter;
  IMessageFilter* system = &filter;
  EXPECT_EQ(system->HandleInComingCall(CALLTYPE_TOPLEVEL, nullptr, 0, nullptr),
            static_cast<DWORD>(SERVERCALL_ISHANDLED));
  EXPECT_EQ(system->RetryRejectedCall(nullptr, 0, SERVERCALL_RETRYLATER), 1000u);
  EXPECT_EQ(system->RetryRejectedCall(nullptr, 0, SERVERCALL_REJECTED), 0xFFFFFFFFu);
  EXPECT_EQ(system->MessagePending(nullptr, 0, PENDINGTYPE_TOPLEVEL),
            static_cast<DWORD>(PENDINGMSG_WAITNOPROCESS));
}

TEST_F(MessageFilter, IsInstalledWithOle32AndRevokedToWhatWasThere) {
  ComMessageFilter filter;
  ComMessageFilterRegistry registry;
  TMessageFilter owner;
  owner.RegisterFilter(registry, filter.Handle());
  ASSERT_EQ(registry.LastError(), S_OK);
  // ole32 itself tells which filter is installed.
  IMessageFilter* installed = nullptr;
  ASSERT_EQ(CoRegisterMessageFilter(nullptr, &installed), S_OK);
  EXPECT_EQ(installed, static_cast<IMessageFilter*>(&filter));
  IMessageFilter* none = nullptr;
  ASSERT_EQ(CoRegisterMessageFilter(installed, &none), S_OK);
  installed->Release();
  EXPECT_EQ(none, nullptr);

  owner.RevokeFilter(registry);
  ASSERT_EQ(CoRegisterMessageFilter(nullptr, &installed), S_OK);
  EXPECT_EQ(installed, nullptr);
}

TEST(MessageFilterOutsideAnApartment, IsRefusedAndReported) {
  std::thread worker([] {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    {
      ComMessageFilter filter;
      ComMessageFilterRegistry registry;
      EXPECT_EQ(registry.Install(filter.Handle()), 0u);
      EXPECT_TRUE(FAILED(registry.LastError()));
    }
    CoUninitialize();
  });
  worker.join();
}

// Keys go to the list the window carries in its user data.
LRESULT CALLBACK RecordKeys(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* keys = reinterpret_cast<std::vector<WPARAM>*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_KEYDOWN && keys != nullptr) keys->push_back(wParam);
  return DefWindowProcW(window, message, wParam, lParam);
}

void PumpMessages() {
  MSG message;
  for (int round = 0; round < 20; ++round) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(10);
  }
}

// A plain top-level window, for the window calls; none when the system has no desktop.
class TestWindow {
 public:
  TestWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = RecordKeys;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VornDesktopTest";
    RegisterClassW(&windowClass);
    handle = CreateWindowExW(0, L"VornDesktopTest", L"Vorn", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100,
                             nullptr, nullptr, windowClass.hInstance, nullptr);
    if (handle == nullptr) return;
    SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&keysDown));
    ShowWindow(handle, SW_SHOWNORMAL);
  }
  ~TestWindow() {
    if (handle != nullptr) DestroyWindow(handle);
  }
  int64_t Id() const { return static_cast<int64_t>(reinterpret_cast<intptr_t>(handle)); }
  HWND handle = nullptr;
  std::vector<WPARAM> keysDown;  // WM_KEYDOWN's virtual keys
};

TEST(Desktop, MinimiseRestoreOpenIconAndTopMost) {
  TestWindow window;
  if (window.handle == nullptr) GTEST_SKIP() << "no desktop to create windows on";
  Win32MainWindow main(window.Id());
  Win32DesktopWindows desktop;
  EXPECT_TRUE(main.IsNormal());
  main.Minimize();
  EXPECT_TRUE(desktop.IsIconic(window.Id()));
  EXPECT_FALSE(main.IsNormal());
  desktop.OpenIcon(window.Id());
  EXPECT_FALSE(desktop.IsIconic(window.Id()));
  main.Minimize();
  main.Restore();
  EXPECT_TRUE(main.IsNormal());
  EXPECT_FALSE(main.IsTopMost());
  main.PlaceTopMost();
  EXPECT_TRUE(main.IsTopMost());
}

TEST(Desktop, TheWindowBroughtToTheFrontReceivesTheEscapeKey) {
  TestWindow window;
  if (window.handle == nullptr) GTEST_SKIP() << "no desktop to create windows on";
  Win32DesktopWindows desktop;
  desktop.SetForegroundWindow(window.Id());
  PumpMessages();
  ASSERT_EQ(desktop.GetForegroundWindow(), window.Id());
  window.keysDown.clear();
  desktop.KeyDownEscape();
  desktop.KeyUpEscape();
  PumpMessages();
  EXPECT_EQ(window.keysDown, (std::vector<WPARAM>{VK_ESCAPE}));
}

}  // namespace
}  // namespace vorn::cad::com
