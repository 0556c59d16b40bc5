#include "runtime/error.h"

#include <gtest/gtest.h>

#include "runtime/quit.h"

namespace qb {
namespace {

// Installs a hook for one test and restores the previous one.
class HookScope {
 public:
  explicit HookScope(ErrorHook hook) : previous_(setErrorHook(std::move(hook))) {}
  ~HookScope() { setErrorHook(std::move(previous_)); }

 private:
  ErrorHook previous_;
};

ErrorRef record(int flags) {
  auto e = std::make_shared<ErrorRecord>();
  e->flags = flags;
  e->GENCODE = 14;
  return e;
}

TEST(ErrorRecord, FieldsStartEmptyAndDescriptionComesFromTheTable) {
  ErrorRecord e;
  EXPECT_EQ(e.DESCRIPTION.text(), "");
  EXPECT_EQ(e.GENCODE.number(), 0);
  EXPECT_TRUE(e.ARGS.isNil());
  EXPECT_EQ(e.className(), "ERROR");

  HookScope scope([](const ErrorRef&) { return Value(0); });
  auto r = record(CANSUBSTITUTE);
  raiseError(r);
  EXPECT_EQ(r->DESCRIPTION.text(), "Variable does not exist");
  auto own = record(CANSUBSTITUTE);
  own->DESCRIPTION = "mine";
  raiseError(own);
  EXPECT_EQ(own->DESCRIPTION.text(), "mine");
}

TEST(ErrorRecord, GenericDescriptions) {
  EXPECT_EQ(genericDescription(0), "Unknown error");
  EXPECT_EQ(genericDescription(1), "Argument error");
  EXPECT_EQ(genericDescription(5), "Zero divisor");
  EXPECT_EQ(genericDescription(14), "Variable does not exist");
  EXPECT_EQ(genericDescription(21), "Open error");
  EXPECT_EQ(genericDescription(30), "Operation not supported");
  EXPECT_EQ(genericDescription(40), "Append lock failed");
  EXPECT_EQ(genericDescription(45), "Object destructor failure");
  EXPECT_EQ(genericDescription(50), "conditional");
  for (int code : {9, 10, 19, 26, 27, 28, 29, 42, 43, 44, 51, -1})
    EXPECT_EQ(genericDescription(code), "") << code;
}

TEST(ErrorContract, EachVerdictIsHonouredOnlyWithItsFlag) {
  Value verdict;
  HookScope scope([&](const ErrorRef&) { return verdict; });

  verdict = true;
  EXPECT_EQ(raiseError(record(CANRETRY)).action, ErrorOutcome::Action::Retry);
  verdict = false;
  EXPECT_EQ(raiseError(record(CANDEFAULT)).action, ErrorOutcome::Action::Default);
  verdict = "stand-in";
  auto out = raiseError(record(CANSUBSTITUTE));
  EXPECT_EQ(out.action, ErrorOutcome::Action::Substitute);
  EXPECT_EQ(out.value.text(), "stand-in");
  // A logical verdict the flags do not allow still substitutes when substitution is allowed.
  verdict = true;
  out = raiseError(record(CANSUBSTITUTE));
  EXPECT_EQ(out.action, ErrorOutcome::Action::Substitute);
  EXPECT_TRUE(out.value.logical());

  const std::vector<std::pair<int, Value>> refused = {
      {CANDEFAULT, true}, {CANRETRY, false}, {CANRETRY, 7}, {0, Value()}};
  for (const auto& [flags, v] : refused) {
    verdict = v;
    ERRORLEVEL(0);
    EXPECT_THROW(raiseError(record(flags)), QuitRequest);
    EXPECT_EQ(ERRORLEVEL(), 1);
  }
  ERRORLEVEL(0);
}

TEST(ErrorContract, TriesCountsHandOversWithRetryAllowed) {
  std::vector<int> seen;
  HookScope scope([&](const ErrorRef& e) {
    seen.push_back(static_cast<int>(e->TRIES.number()));
    return Value(e->can(CANRETRY) && seen.size() < 3);
  });
  auto e = record(CANRETRY | CANDEFAULT);
  while (raiseError(e).action == ErrorOutcome::Action::Retry) {
  }
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));

  auto noRetry = record(CANDEFAULT);
  seen.clear();
  raiseError(noRetry);
  EXPECT_EQ(seen, std::vector<int>{0});
}

TEST(ErrorContract, AtMostEightNestedHandOvers) {
  int depth = 0, deepest = 0;
  HookScope scope([&](const ErrorRef&) {
    ++depth;
    deepest = std::max(deepest, depth);
    raiseError(record(CANSUBSTITUTE));  // each hand-over raises again from inside the hook
    --depth;
    return Value();
  });
  EXPECT_THROW(raiseError(record(CANSUBSTITUTE)), QuitRequest);
  EXPECT_EQ(deepest, 8);
  ERRORLEVEL(0);
}

TEST(ErrorContract, NoHookIsUnrecoverable) {
  HookScope scope(nullptr);
  EXPECT_THROW(raiseError(record(CANSUBSTITUTE)), QuitRequest);
  ERRORLEVEL(0);
}

TEST(ArgumentError, CarriesOperationArgumentsAndCodes) {
  ErrorRef seen;
  HookScope scope([&](const ErrorRef& e) {
    seen = e;
    return Value("sub");
  });
  const Value r = raiseArgumentError("HB_ZIPCLOSE", {Value(1), Value("x")});
  EXPECT_EQ(r.text(), "sub");
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->SUBSYSTEM.text(), "BASE");
  EXPECT_EQ(seen->SUBCODE.number(), 3012);
  EXPECT_EQ(seen->GENCODE.number(), 1);
  EXPECT_EQ(seen->SEVERITY.number(), 2);
  EXPECT_EQ(seen->DESCRIPTION.text(), "Argument error");
  EXPECT_EQ(seen->OPERATION.text(), "HB_ZIPCLOSE");
  ASSERT_TRUE(seen->ARGS.isArray());
  const auto& args = *std::get<Array>(seen->ARGS);
  ASSERT_EQ(args.size(), 2u);
  EXPECT_EQ(args[0].number(), 1);
  EXPECT_EQ(args[1].text(), "x");
}

}  // namespace
}  // namespace qb
