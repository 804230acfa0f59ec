#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "TestFramework.h"
#include "platform/rtl/System.h"

namespace system_test {

// ---------------------------------------------------------------------------------------
// A small hierarchy with published methods and message handlers.

class TAnimal : public TObject {
  RTL_DECLARE_CLASS(TAnimal, TObject)
public:
  void AfterConstruction() override { constructed = true; }
  void DefaultHandler(TMessage& m) override {
    log.push_back("Default");
    m.Result = -1;
  }

  void Speak() { log.push_back("Speak"); }
  void Heard(TObject* sender) { lastSender = sender; }
  void WMPing(TMessage& m) {
    log.push_back("Animal.Ping");
    m.Result += 1;
  }
  void WMFeed(TMessage& m) {
    log.push_back("Animal.Feed");
    m.Result = 10;
  }
  void WMPass(TMessage& m) {
    log.push_back("Animal.Pass");
    DispatchFrom(inherited::StaticClass(), m);  // TObject has no handler: reaches DefaultHandler
  }

  bool constructed = false;
  std::vector<std::string> log;
  TObject* lastSender = nullptr;
};
constexpr UINT WM_PING = WM_APP + 1;
constexpr UINT WM_FEED = WM_APP + 2;
constexpr UINT WM_PASS = WM_APP + 3;
constexpr UINT WM_UNHANDLED = WM_APP + 4;

RTL_BEGIN_CLASS(TAnimal)
b.Method("Speak", &TAnimal::Speak);
b.Method("Heard", &TAnimal::Heard);
b.Message(WM_PING, &TAnimal::WMPing);
b.Message(WM_FEED, &TAnimal::WMFeed);
b.Message(WM_PASS, &TAnimal::WMPass);
RTL_END_CLASS

class TDog : public TAnimal {
  RTL_DECLARE_CLASS(TDog, TAnimal)
public:
  void Fetch() {}
  // Overrides the ancestor's handler and calls it as "inherited".
  void WMPing(TMessage& m) {
    log.push_back("Dog.Ping");
    DispatchFrom(inherited::StaticClass(), m);
    m.Result += 100;
  }
};
RTL_BEGIN_CLASS(TDog)
b.Method("Fetch", &TDog::Fetch);
b.Message(WM_PING, &TDog::WMPing);
RTL_END_CLASS

class TShape : public TObject {
  RTL_DECLARE_CLASS(TShape, TObject)
public:
  virtual double Area() const = 0;
};
RTL_IMPLEMENT_CLASS(TShape)

namespace elsewhere {
// Another class whose name is also TDog.
class TDog : public TObject {
  RTL_DECLARE_CLASS(TDog, TObject)
};
RTL_IMPLEMENT_CLASS(TDog)
}  // namespace elsewhere

// Records the order of destruction and what the watched pointer held meanwhile.
class TTracked : public TObject {
  RTL_DECLARE_CLASS(TTracked, TObject)
public:
  TTracked(TTracked** watch, std::vector<std::string>* events) : watch_(watch), events_(events) {}
  void BeforeDestruction() override { events_->push_back(*watch_ ? "before:set" : "before:nil"); }
  ~TTracked() override { events_->push_back(*watch_ ? "destroyed:set" : "destroyed:nil"); }

private:
  TTracked** watch_;
  std::vector<std::string>* events_;
};
RTL_IMPLEMENT_CLASS(TTracked)

// ---------------------------------------------------------------------------------------
// An interface implemented by a TObject class.

struct IGreeter : public IInterface {
  RTL_INTERFACE_ID(0x6c1f2a40, 0x3b7d, 0x4e21, 0x9a, 0x55, 0x10, 0x2e, 0x7f, 0x44, 0xc3, 0x01)
  virtual int STDMETHODCALLTYPE Greet() = 0;
};

class TGreeter : public TObject, public IGreeter {
  RTL_DECLARE_CLASS(TGreeter, TObject)
public:
  RTL_IINTERFACE_METHODS
  int STDMETHODCALLTYPE Greet() override { return 42; }
  ULONG refs = 1;
};
RTL_BEGIN_CLASS(TGreeter)
b.Interface<IGreeter>();
RTL_END_CLASS

HRESULT STDMETHODCALLTYPE TGreeter::QueryInterface(const ::IID& riid, void** obj) {
  if (IsEqualGUID(riid, IID_IUnknown)) {
    *obj = static_cast<IGreeter*>(this);
    _AddRef();
    return S_OK;
  }
  if (GetInterface(riid, obj)) {
    _AddRef();
    return S_OK;
  }
  *obj = nullptr;
  return E_NOINTERFACE;
}
ULONG STDMETHODCALLTYPE TGreeter::_AddRef() { return ++refs; }
ULONG STDMETHODCALLTYPE TGreeter::_Release() { return --refs; }

class TLoudGreeter : public TGreeter {
  RTL_DECLARE_CLASS(TLoudGreeter, TGreeter)
};
RTL_IMPLEMENT_CLASS(TLoudGreeter)

namespace {

// ---------------------------------------------------------------------------------------
// Objects and class references.

TEST(SystemTest, ClassDescriptorKnowsNameParentAndAncestry) {
  TDog dog;
  TObject* asObject = &dog;
  EXPECT_EQ(asObject->ClassName(), "TDog");
  EXPECT_EQ(asObject->ClassType(), TDog::StaticClass());
  EXPECT_EQ(dog.ClassParent(), TAnimal::StaticClass());
  EXPECT_EQ(TAnimal::StaticClass()->ClassParent(), TObject::StaticClass());
  EXPECT_EQ(TObject::StaticClass()->ClassParent(), nullptr);
  EXPECT_TRUE(dog.InheritsFrom(TAnimal::StaticClass()));
  EXPECT_TRUE(dog.InheritsFrom(TObject::StaticClass()));
  EXPECT_FALSE(TAnimal().InheritsFrom(TDog::StaticClass()));
  EXPECT_TRUE(dog.ClassNameIs("tDOG"));
  EXPECT_FALSE(dog.ClassNameIs("TAnimal"));
  EXPECT_EQ(TDog::StaticClass()->InstanceSize(), sizeof(TDog));
  EXPECT_TRUE(Is<TAnimal>(asObject));
  EXPECT_FALSE(Is<TGreeter>(asObject));
}

TEST(SystemTest, VirtualConstructorBuildsTheReferencedClassAndCallsAfterConstruction) {
  TClass ref = TDog::StaticClass();  // held as "class of TAnimal"
  TObject* obj = ref->CreateInstance();
  ASSERT_NE(obj, nullptr);
  EXPECT_EQ(obj->ClassType(), TDog::StaticClass());
  auto* dog = dynamic_cast<TDog*>(obj);
  ASSERT_NE(dog, nullptr);
  EXPECT_TRUE(dog->constructed) << "AfterConstruction runs after the constructor";
  obj->Free();

  TDog* direct = New<TDog>();
  EXPECT_TRUE(direct->constructed);
  FreeObject(direct);

  EXPECT_TRUE(TShape::StaticClass()->IsAbstract());
  EXPECT_THROW(TShape::StaticClass()->CreateInstance(), EAbstractError);
}

TEST(SystemTest, CheckedCastRaisesForAnotherClass) {
  TAnimal animal;
  TDog dog;
  EXPECT_EQ(As<TAnimal>(&dog), &dog);
  EXPECT_EQ(As<TDog>(static_cast<TObject*>(nullptr)), nullptr);
  EXPECT_EQ(RaisedMessage<EInvalidCast>([&] { As<TDog>(&animal); }), "Invalid class typecast");
}

class ClassRegistryTest : public ::testing::Test {
protected:
  void TearDown() override {
    UnRegisterClass(TAnimal::StaticClass());
    UnRegisterClass(TDog::StaticClass());
    UnRegisterClass(elsewhere::TDog::StaticClass());
  }
};

TEST_F(ClassRegistryTest, FindsRegisteredClassesByNameIgnoringCase) {
  RegisterClasses({TAnimal::StaticClass(), TDog::StaticClass()});
  EXPECT_EQ(FindClass("tdog"), TDog::StaticClass());
  EXPECT_EQ(GetClass("TAnimal"), TAnimal::StaticClass());
  EXPECT_EQ(GetClass("TCat"), nullptr);
  std::string msg = RaisedMessage<EClassNotFound>([] { FindClass("TCat"); });
  EXPECT_NE(msg.find("TCat"), std::string::npos) << "the message names the class; got '" << msg << "'";
  UnRegisterClass(TDog::StaticClass());
  EXPECT_EQ(GetClass("TDog"), nullptr);
}

TEST_F(ClassRegistryTest, RefusesAnotherClassOfTheSameName) {
  RegisterClass(TDog::StaticClass());
  EXPECT_NO_THROW(RegisterClass(TDog::StaticClass())) << "registering the same class again is harmless";
  EXPECT_THROW(RegisterClass(elsewhere::TDog::StaticClass()), EFilerError);
  EXPECT_EQ(GetClass("TDog"), TDog::StaticClass()) << "the first registration stays";
}

// ---------------------------------------------------------------------------------------
// Published methods and events.

TEST(SystemTest, PublishedMethodsAreFoundByNameAndNamedByAddress) {
  TDog dog;
  TMethodCode speak = dog.MethodAddress("SPEAK");
  ASSERT_TRUE(speak != nullptr) << "an ancestor's published method is found";
  EXPECT_EQ(dog.MethodName(speak), "Speak");
  EXPECT_TRUE(dog.MethodAddress("Fetch") != nullptr);
  EXPECT_TRUE(TAnimal().MethodAddress("Fetch") == nullptr) << "a descendant's method is not the ancestor's";
  EXPECT_TRUE(dog.MethodAddress("Bark") == nullptr);
  EXPECT_EQ(dog.MethodName(nullptr), "");

  TMethod m{speak, &dog};
  TEvent<void()> event(m);
  event();
  EXPECT_EQ(dog.log, (std::vector<std::string>{"Speak"})) << "the method found by name is the one called";
}

TEST(SystemTest, EventsCompareByObjectAndMethodAndAreEmptyWhenUnassigned) {
  TAnimal a, b;
  TNotifyEvent none, alsoNone(nullptr);
  EXPECT_FALSE(none.Assigned());
  EXPECT_FALSE(static_cast<bool>(none));
  EXPECT_TRUE(none == alsoNone);

  TNotifyEvent heardA(&a, &TAnimal::Heard);
  TNotifyEvent heardAagain(&a, &TAnimal::Heard);
  TNotifyEvent heardB(&b, &TAnimal::Heard);
  TNotifyEvent byName(TMethod{a.MethodAddress("Heard"), &a});
  EXPECT_TRUE(heardA.Assigned());
  EXPECT_TRUE(heardA == heardAagain);
  EXPECT_FALSE(heardA == heardB) << "same method, other object";
  EXPECT_FALSE(heardA == none);
  EXPECT_TRUE(heardA == byName) << "binding by published name gives the same event";

  heardB(&a);
  EXPECT_EQ(b.lastSender, &a);
  EXPECT_EQ(a.lastSender, nullptr);
}

// ---------------------------------------------------------------------------------------
// Message maps.

TEST(SystemTest, MessagesDispatchThroughTheClassChain) {
  struct Case {
    UINT msg;
    std::vector<std::string> log;
    LRESULT result;
    const char* what;
  };
  const Case dogCases[] = {
      {WM_PING, {"Dog.Ping", "Animal.Ping"}, 101, "override calling inherited"},
      {WM_FEED, {"Animal.Feed"}, 10, "ancestor's handler"},
      {WM_PASS, {"Animal.Pass", "Default"}, -1, "handler passing on to DefaultHandler"},
      {WM_UNHANDLED, {"Default"}, -1, "no handler"},
  };
  for (const Case& c : dogCases) {
    TDog dog;
    TMessage m;
    m.Msg = c.msg;
    dog.Dispatch(m);
    EXPECT_EQ(dog.log, c.log) << c.what;
    EXPECT_EQ(m.Result, c.result) << c.what;
  }
  TAnimal animal;
  TMessage m;
  m.Msg = WM_PING;
  animal.Dispatch(m);
  EXPECT_EQ(animal.log, (std::vector<std::string>{"Animal.Ping"})) << "the ancestor keeps its own handler";
}

// ---------------------------------------------------------------------------------------
// Interfaces.

TEST(SystemTest, ObjectsImplementInterfacesListedInTheirClass) {
  TGreeter g;
  TObject* obj = &g;  // a TGreeter is both a TObject and an IInterface: say which Supports
  void* p = nullptr;
  ASSERT_TRUE(g.GetInterface(IGreeter::IID(), &p));
  EXPECT_EQ(static_cast<IGreeter*>(p)->Greet(), 42);
  EXPECT_EQ(g.refs, 1u) << "GetInterface adds no reference";

  EXPECT_TRUE(Supports(obj, IGreeter::IID()));
  IGreeter* typed = Supports<IGreeter>(obj);
  ASSERT_NE(typed, nullptr);
  EXPECT_EQ(typed, static_cast<IGreeter*>(&g));

  void* counted = nullptr;
  ASSERT_TRUE(Supports(obj, IGreeter::IID(), &counted));
  EXPECT_EQ(g.refs, 2u) << "Supports with an out pointer adds a reference";
  static_cast<IInterface*>(counted)->_Release();

  // Handed to COM as an IUnknown, the same object answers through COM's method names.
  IUnknown* unk = AsIUnknown(static_cast<IGreeter*>(&g));
  void* viaQuery = nullptr;
  ASSERT_TRUE(Supports(unk, IGreeter::IID(), &viaQuery));
  EXPECT_EQ(viaQuery, static_cast<void*>(static_cast<IGreeter*>(&g)));
  static_cast<IUnknown*>(viaQuery)->Release();
  EXPECT_EQ(g.refs, 1u);

  TLoudGreeter loud;
  EXPECT_TRUE(Supports(static_cast<TObject*>(&loud), IGreeter::IID())) << "descendants inherit their ancestors' interfaces";
  TDog dog;
  void* none = reinterpret_cast<void*>(1);
  EXPECT_FALSE(Supports(&dog, IGreeter::IID(), &none));
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(Supports<IGreeter>(nullptr), nullptr);
}

// ---------------------------------------------------------------------------------------
// Sets.

enum TDay { dMon, dTue, dWed, dThu, dFri, dFar = 100 };
using TDays = Set<TDay>;

TEST(SystemTest, SetsFollowPascalSetOperations) {
  const TDays a{dMon, dTue, dWed}, b{dWed, dThu};
  EXPECT_TRUE(a + b == (TDays{dMon, dTue, dWed, dThu}));
  EXPECT_TRUE(a - b == (TDays{dMon, dTue}));
  EXPECT_TRUE(a * b == TDays{dWed});
  EXPECT_TRUE(TDays{dMon} <= a);
  EXPECT_FALSE(b <= a);
  EXPECT_TRUE(a >= TDays{});
  EXPECT_FALSE(a == b);

  TDays s;
  EXPECT_TRUE(s.Empty());
  s << dFri << dMon;
  s.Include(dTue).Exclude(dMon);
  EXPECT_TRUE(s == (TDays{dTue, dFri}));
  EXPECT_EQ(s.Count(), 2u);
  EXPECT_TRUE(s.Contains(dFri));
  EXPECT_FALSE(s.Contains(dMon));
  s += TDays{dWed};
  s -= TDays{dTue};
  EXPECT_TRUE(s == (TDays{dWed, dFri}));
}

TEST(SystemTest, SetBitsPutElementIAtBitI) {
  EXPECT_EQ((TDays{dMon, dThu}.ToBits()), 0x9u);
  EXPECT_TRUE(TDays::FromBits(0x6) == (TDays{dTue, dWed}));
  TDays wide{dFar, dMon};
  EXPECT_TRUE(wide.Contains(dFar)) << "elements up to 255 are kept";
  EXPECT_EQ(wide.ToBits(), 0x1u) << "only the lowest 64 elements have bits";
}

// ---------------------------------------------------------------------------------------
// Numbers.

TEST(SystemTest, CurrencyFromDoubleRoundsHalfToEvenAtTheFourthDecimal) {
  struct Case {
    long double value;
    Int64 scaled;
  };
  const Case cases[] = {
      {1.5L, 15000},           {0.00004L, 0},          {0.00006L, 1},         {-0.00006L, -1},
      {0.00005L, 0},           {0.00015L, 2},          {0.00025L, 2},         {-0.00015L, -2},
      {123456789.0123L, 1234567890123LL},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Currency::FromDouble(c.value).Value, c.scaled) << "FromDouble(" << static_cast<double>(c.value) << ")";
  EXPECT_THROW(Currency::FromDouble(1e15L), EInvalidOp);
  EXPECT_THROW(Currency::FromDouble(std::numeric_limits<long double>::quiet_NaN()), EInvalidOp);
  EXPECT_EQ((Currency::FromInt(7) / Currency::FromInt(2)).Value, 35000);
  EXPECT_THROW(Currency::FromInt(1) / Currency(), EZeroDivide);
}

TEST(SystemTest, CheckedDivideRaisesForZeroAndNaN) {
  EXPECT_EQ(CheckedDivide(6, 4), 1.5L);
  EXPECT_EQ(CheckedDivide(-0.0L, 2), 0.0L);
  EXPECT_THROW(CheckedDivide(1, 0), EZeroDivide);
  EXPECT_THROW(CheckedDivide(-1, 0), EZeroDivide);
  EXPECT_THROW(CheckedDivide(0, 0), EInvalidOp);
  EXPECT_THROW(CheckedDivide(std::numeric_limits<long double>::quiet_NaN(), 1), EInvalidOp);
}

// ---------------------------------------------------------------------------------------
// Freeing.

TEST(SystemTest, FreeAndNilClearsThePointerBeforeDestroying) {
  std::vector<std::string> events;
  TTracked* obj = nullptr;
  obj = new TTracked(&obj, &events);
  FreeAndNil(obj);
  EXPECT_EQ(obj, nullptr);
  EXPECT_EQ(events, (std::vector<std::string>{"before:nil", "destroyed:nil"}))
      << "BeforeDestruction, then the destructor, both seeing the pointer cleared";
  EXPECT_NO_THROW(FreeAndNil(obj)) << "freeing a null reference does nothing";

  events.clear();
  TTracked* kept = new TTracked(&kept, &events);
  kept->Free();
  EXPECT_EQ(events, (std::vector<std::string>{"before:set", "destroyed:set"}));
}

// A class whose TObject part is not at the start of the object.
struct Leading {
  virtual ~Leading() = default;
  std::string padding = "the first base";
};
class TTrackedSecond : public Leading, public TTracked {
public:
  using TTracked::TTracked;
};

TEST(SystemTest, EveryDeleteRunsBeforeDestructionOnTheWholeObject) {
  struct Path {
    const char* name;
    std::function<void(TTracked*)> destroy;
  };
  const Path paths[] = {
      {"delete", [](TTracked* o) { delete o; }},
      {"delete through TObject", [](TTracked* o) { delete static_cast<TObject*>(o); }},
      {"unique_ptr", [](TTracked* o) { std::unique_ptr<TTracked> p(o); }},
      {"TObjectPtr", [](TTracked* o) { TObjectPtr<TObject> p(o); }},
  };
  for (const Path& path : paths) {
    SCOPED_TRACE(path.name);
    std::vector<std::string> events;
    TTracked* obj = new TTracked(&obj, &events);
    path.destroy(obj);
    EXPECT_EQ(events, (std::vector<std::string>{"before:set", "destroyed:set"}));
    // The memory given back is the allocation's start, also when TObject is a later base.
    events.clear();
    TTracked* second = new TTrackedSecond(&second, &events);
    path.destroy(second);
    EXPECT_EQ(events, (std::vector<std::string>{"before:set", "destroyed:set"}));
  }
}

// ---------------------------------------------------------------------------------------
// Exceptions.

TEST(SystemTest, ExceptionClassesFormTheirHierarchy) {
  struct Case {
    std::function<void()> raise;
    TClass cls;
    TClass ancestor;
    const char* what;
  };
  const Case cases[] = {
      {[] { throw EDivByZero("x"); }, EDivByZero::StaticClass(), EIntError::StaticClass(), "EDivByZero"},
      {[] { throw EZeroDivide("x"); }, EZeroDivide::StaticClass(), EMathError::StaticClass(), "EZeroDivide"},
      {[] { throw EClassNotFound("x"); }, EClassNotFound::StaticClass(), EStreamError::StaticClass(),
       "EClassNotFound"},
      {[] { throw EReadError("x"); }, EReadError::StaticClass(), EFilerError::StaticClass(), "EReadError"},
      {[] { throw EAccessViolation("x"); }, EAccessViolation::StaticClass(), EExternal::StaticClass(),
       "EAccessViolation"},
  };
  for (const Case& c : cases) {
    try {
      c.raise();
      ADD_FAILURE() << c.what << " was not raised";
    } catch (const Exception& e) {
      EXPECT_EQ(e.ClassType(), c.cls) << c.what << " caught as " << e.ClassName();
      EXPECT_TRUE(e.InheritsFrom(c.ancestor)) << c.what << " should inherit from " << c.ancestor->ClassName();
      EXPECT_EQ(e.ClassName(), c.what);
      EXPECT_EQ(std::string(e.what()), "x");
    }
  }
  EXPECT_THROW(throw EDivByZero("x"), EIntError) << "caught through its C++ base";
  Exception e("msg", 12);
  EXPECT_EQ(e.HelpContext(), 12);
  e.SetMessage("changed");
  EXPECT_EQ(std::string(e.what()), "changed");
}

TEST(SystemTest, AbortRaisesTheSilentException) {
  try {
    Abort();
    ADD_FAILURE() << "Abort returned";
  } catch (const Exception& e) {
    EXPECT_EQ(e.ClassType(), EAbort::StaticClass()) << "got " << e.ClassName();
  }
}

}  // namespace
}  // namespace system_test
