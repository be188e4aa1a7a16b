#include <gtest/gtest.h>

#include "platform/com/ClassRegistry.h"
#include "platform/com/ComPtr.h"

namespace kavoro {
namespace {

TEST(GuidTest, ParsesAndFormatsTheBracedForm) {
  struct Case {
    const char* text;
    bool valid;
  };
  const Case cases[] = {
      {"{6B1F0C52-3D0E-4C8A-9E41-2A55107C9D01}", true},
      {"{6b1f0c52-3d0e-4c8a-9e41-2a55107c9d01}", true},
      {"6B1F0C52-3D0E-4C8A-9E41-2A55107C9D01", true},
      {"{6B1F0C52-3D0E-4C8A-9E41-2A55107C9D01", false},
      {"{6B1F0C52-3D0E-4C8A-9E41-2A55107C9D0G}", false},
      {"{6B1F0C52-3D0E-4C8A_9E41-2A55107C9D01}", false},
      {"", false},
      {"{}", false},
  };
  for (const Case& c : cases) {
    auto g = GUID::Parse(c.text);
    EXPECT_EQ(g.has_value(), c.valid) << c.text;
    if (g) {
      EXPECT_EQ(g->ToString(), "{6B1F0C52-3D0E-4C8A-9E41-2A55107C9D01}") << c.text;
    }
  }
  auto g = GUID::Parse("{00000001-0002-0003-0405-060708090A0B}");
  ASSERT_TRUE(g);
  EXPECT_EQ(g->Data1, 1u);
  EXPECT_EQ(g->Data2, 2u);
  EXPECT_EQ(g->Data3, 3u);
  EXPECT_EQ(g->Data4[0], 4u);
  EXPECT_EQ(g->Data4[7], 0x0Bu);
  EXPECT_EQ(IUnknown::kIID.ToString(), "{00000000-0000-0000-C000-000000000046}");
}

struct IAnimal : IUnknown {
  static constexpr IID kIID = MakeGuid(0x11111111, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1);
  using Base = IUnknown;
  virtual int Legs() = 0;
};
struct IDog : IAnimal {
  static constexpr IID kIID = MakeGuid(0x11111111, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2);
  using Base = IAnimal;
  virtual int Barks() = 0;
};
struct IPet : IUnknown {
  static constexpr IID kIID = MakeGuid(0x11111111, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3);
  using Base = IUnknown;
  virtual const char* Name() = 0;
};

int g_alive = 0;

class Dog : public ComObject<IDog, IPet> {
 public:
  Dog() { ++g_alive; }
  ~Dog() override { --g_alive; }
  int Legs() override { return 4; }
  int Barks() override { return 3; }
  const char* Name() override { return "Rex"; }
};

TEST(ComObjectTest, AnswersItsInterfacesTheirBasesAndOneIdentity) {
  {
    ComPtr<IDog> dog = MakeCom<Dog>();
    EXPECT_EQ(g_alive, 1);
    ComPtr<IAnimal> animal = dog.As<IAnimal>();
    ASSERT_TRUE(animal);
    EXPECT_EQ(animal->Legs(), 4);
    ComPtr<IPet> pet = animal.As<IPet>();
    ASSERT_TRUE(pet);
    EXPECT_STREQ(pet->Name(), "Rex");
    EXPECT_TRUE(IsSameObject(dog.Get(), pet.Get()));
    EXPECT_EQ(dog.As<IUnknown>().Get(), pet.As<IUnknown>().Get());

    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(dog->QueryInterface(IClassFactory::kIID, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(dog->QueryInterface(IDog::kIID, nullptr), E_POINTER);
  }
  EXPECT_EQ(g_alive, 0) << "the last release frees the object";
}

TEST(ComPtrTest, CountsReferencesThroughCopiesMovesAndOutParameters) {
  ComPtr<IDog> a = MakeCom<Dog>();
  ComPtr<IDog> b = a;
  ComPtr<IDog> c = std::move(b);
  EXPECT_FALSE(b);
  a.Reset();
  EXPECT_EQ(g_alive, 1);
  ComPtr<IPet> pet;
  ASSERT_EQ(c->QueryInterface(IPet::kIID, pet.PutVoid()), S_OK);
  c = nullptr;
  EXPECT_EQ(g_alive, 1);
  IPet* raw = pet.Detach();
  EXPECT_EQ(raw->Release(), 0u);
  EXPECT_EQ(g_alive, 0);
}

TEST(ClassRegistryTest, CreatesBuiltInClassesAndRefusesUnknownOnes) {
  const CLSID kDogClass = MakeGuid(0x22222222, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1);
  ClassRegistry::Instance().RegisterClass(kDogClass, "Dog", [](REFIID riid, void** ppv) {
    auto d = MakeCom<Dog>();
    return d->QueryInterface(riid, ppv);
  });
  HRESULT hr = E_FAIL;
  auto pet = CreateInstance<IPet>(kDogClass, &hr);
  EXPECT_EQ(hr, S_OK);
  ASSERT_TRUE(pet);
  EXPECT_STREQ(pet->Name(), "Rex");

  ComPtr<IUnknown> outer = pet.As<IUnknown>();
  void* p = nullptr;
  EXPECT_EQ(CoCreateInstance(kDogClass, outer.Get(), CLSCTX_INPROC_SERVER, IPet::kIID, &p),
            CLASS_E_NOAGGREGATION);
  EXPECT_EQ(CoCreateInstance(kDogClass, nullptr, CLSCTX_INPROC_SERVER, IClassFactory::kIID, &p),
            E_NOINTERFACE);
  EXPECT_EQ(p, nullptr);

  ClassRegistry::Instance().UnregisterClass(kDogClass);
  CreateInstance<IPet>(kDogClass, &hr);
  EXPECT_EQ(hr, REGDB_E_CLASSNOTREG);
}

}  // namespace
}  // namespace kavoro
