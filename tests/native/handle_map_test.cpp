// The handle map's temporary wrappers: a wrapper that a caller got for an
// unbound handle must outlive the binding of that handle until the idle drop.
#include <gtest/gtest.h>

#include "framework/HandleMap.h"

namespace {

using FakeHandle = int;

int g_wrappersDestroyed = 0;

struct Wrapper {
    FakeHandle handle = 0;
    ~Wrapper() { ++g_wrappersDestroyed; }
};

struct Traits {
    static std::unique_ptr<Wrapper> Wrap(FakeHandle handle)
    {
        auto wrapper = std::make_unique<Wrapper>();
        wrapper->handle = handle;
        return wrapper;
    }
    static void Forget(Wrapper& wrapper) { wrapper.handle = 0; }
};

TEST(HandleMap, TemporaryWrapperOutlivesTheBindingOfItsHandleUntilTheIdleDrop)
{
    g_wrappersDestroyed = 0;
    HandleMap<FakeHandle, Wrapper, Traits> map;
    Wrapper* held = map.FindOrWrap(7);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(held->handle, 7);
    EXPECT_EQ(map.FindOrWrap(7), held) << "one wrapper per handle";

    Wrapper bound;
    map.Add(7, &bound);
    EXPECT_EQ(g_wrappersDestroyed, 0) << "the caller still holds the wrapper";
    EXPECT_EQ(held->handle, 0) << "but it no longer stands for the handle";
    EXPECT_EQ(map.Find(7), &bound);
    EXPECT_EQ(map.FindOrWrap(7), &bound);

    map.DropTemporaries();
    EXPECT_EQ(g_wrappersDestroyed, 1);
}

}  // namespace
