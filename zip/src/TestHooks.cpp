#include "zipcore/TestHooks.h"

#ifdef ZIPCORE_TEST_HOOKS

namespace zipcore::testhooks {

std::function<void(const std::string& temporary)> beforeVerify;
std::function<bool()> betweenRenames;

}  // namespace zipcore::testhooks

#endif
