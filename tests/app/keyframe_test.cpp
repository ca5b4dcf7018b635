// A moment the player steps back to is rebuilt from what each subsystem kept
// of its own state. A field added to a state must be kept by its snapshot or
// left out of it on purpose (counted with the fields it leaves as they are):
// one added and forgotten would come back from an earlier message as it
// stands now, and the rebuilt screen would drift from what was shown.
#include <gtest/gtest.h>

#include "choices/choices.h"
#include "field_count.h"
#include "graphics/scene.h"
#include "message/history.h"
#include "message/message.h"
#include "script/interp.h"
#include "sound/sound.h"

namespace vm {
namespace {

using test::field_count;

// The state's fields, and those its snapshot keeps and leaves.
struct Accounted {
  size_t fields, kept, left;
};
template <typename State, typename Snapshot>
constexpr Accounted accounted(size_t left) {
  return {field_count<State>(), field_count<Snapshot>(), left};
}

TEST(Keyframe, EveryFieldOfTheStoryStateIsKeptOrLeftOnPurpose) {
  const std::pair<const char*, Accounted> states[] = {
      {"Surface", accounted<Surface, SurfaceLook>(kSurfaceFieldsNotLooked)},
      {"ScreenState", accounted<ScreenState, ScreenSnapshot>(kScreenFieldsLeftAsIs)},
      {"SceneState", accounted<SceneState, SceneSnapshot>(kSceneFieldsLeftAsIs)},
      {"SoundState", accounted<SoundState, SoundSnapshot>(kSoundFieldsLeftAsIs)},
      {"HistoryState", accounted<HistoryState, HistorySnapshot>(kHistoryFieldsLeftAsIs)},
      {"MessageState", accounted<MessageState, MessageSnapshot>(0)},
      {"InterpState", accounted<InterpState, InterpSnapshot>(0)},
      {"ChoiceState", accounted<ChoiceState, ChoiceSnapshot>(0)},
  };
  for (const auto& [name, a] : states) {
    EXPECT_GT(a.kept, 0u) << name;
    EXPECT_EQ(a.fields, a.kept + a.left)
        << name << ": a field was added and its snapshot neither keeps it nor counts it as left";
  }
}

}  // namespace
}  // namespace vm
