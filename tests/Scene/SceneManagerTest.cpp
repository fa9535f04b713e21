#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "Framework/Graphics/ShaderManager.h"
#include "Scene/SceneBase.h"
#include "Scene/SceneManager.h"

namespace {

std::vector<std::string> g_log;

// Records its life and the calls the frame routine makes.
class RecordingScene : public SceneBase {
public:
    explicit RecordingScene(std::string name) : name_(std::move(name)) {}
    ~RecordingScene() override { g_log.push_back("~" + name_); }
    void Update() override {
        g_log.push_back("update " + name_);
        if (onUpdate) onUpdate(this);
    }
    void SetCamera() override { g_log.push_back("camera " + name_); }
    void Draw3D() override { g_log.push_back("draw3d " + name_); }
    void Draw2D() override { g_log.push_back("draw2d " + name_); }
    void DrawDebug() override { g_log.push_back("debug " + name_); }
    void (*onUpdate)(RecordingScene*) = nullptr;

private:
    std::string name_;
};

// A new scene for the manager, and the pointer to watch it by.
std::unique_ptr<SceneBase> Make(const char* name, RecordingScene** watch = nullptr) {
    auto scene = std::make_unique<RecordingScene>(name);
    if (watch) *watch = scene.get();
    return scene;
}

class SceneManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        SceneManager::GetInstance().Clear();
        g_log.clear();
    }
    void TearDown() override { SceneManager::GetInstance().Clear(); }
    SceneManager& sm = SceneManager::GetInstance();
};

TEST_F(SceneManagerTest, RequestedSceneBecomesCurrentAtNextUpdateAndRunsFullFrame) {
    RecordingScene* a = nullptr;
    sm.SetNextScene(Make("a", &a));
    EXPECT_EQ(sm.GetCurrentScene(), nullptr);
    EXPECT_EQ(sm.GetNextScene(), a);
    EXPECT_TRUE(g_log.empty());

    sm.Update();
    EXPECT_EQ(sm.GetCurrentScene(), a);
    // The frame routine: update, then camera, 3D and 2D; never the debug draw.
    EXPECT_EQ(g_log, (std::vector<std::string>{"update a", "camera a", "draw3d a", "draw2d a"}));
}

TEST_F(SceneManagerTest, OldSceneFinishesItsFrameAndIsDeletedBeforeNewSceneRuns) {
    static RecordingScene* next = nullptr;
    RecordingScene* a = nullptr;
    sm.SetNextScene(Make("a", &a));
    a->onUpdate = [](RecordingScene*) {
        std::unique_ptr<SceneBase> b = Make("b", &next);  // built while a still exists
        g_log.push_back("b created");
        SceneManager::GetInstance().SetNextScene(std::move(b));
    };
    sm.Update();
    // a requested b in its Update but still drew this frame; b has not run.
    EXPECT_EQ(g_log, (std::vector<std::string>{"update a", "b created", "camera a", "draw3d a", "draw2d a"}));
    EXPECT_EQ(sm.GetCurrentScene(), a);
    EXPECT_EQ(sm.GetNextScene(), next);

    g_log.clear();
    sm.Update();
    EXPECT_EQ(sm.GetCurrentScene(), next);
    ASSERT_GE(g_log.size(), 2u);
    EXPECT_EQ(g_log[0], "~a");
    EXPECT_EQ(g_log[1], "update b");
}

TEST_F(SceneManagerTest, ARequestForNoSceneChangesNothing) {
    RecordingScene* a = nullptr;
    sm.SetNextScene(Make("a", &a));
    sm.Update();
    g_log.clear();
    sm.SetNextScene(nullptr);
    EXPECT_EQ(sm.GetNextScene(), a);
    sm.Update();
    sm.Update();
    EXPECT_EQ(sm.GetCurrentScene(), a);
    // Two ordinary frames, no deletion.
    EXPECT_EQ(g_log.size(), 8u);
    for (const auto& line : g_log) EXPECT_NE(line, "~a");
}

TEST_F(SceneManagerTest, ALaterRequestBeforeTheSwitchReplacesTheEarlierOne) {
    sm.SetNextScene(Make("a"));
    sm.Update();
    RecordingScene* c = nullptr;
    sm.SetNextScene(Make("b"));
    g_log.clear();
    sm.SetNextScene(Make("c", &c));
    EXPECT_EQ(g_log, (std::vector<std::string>{"~b"})) << "the request it replaces is deleted at once";
    EXPECT_EQ(sm.GetNextScene(), c);
    g_log.clear();
    sm.Update();
    EXPECT_EQ(sm.GetCurrentScene(), c);
    ASSERT_GE(g_log.size(), 2u);
    EXPECT_EQ(g_log[0], "~a");
    EXPECT_EQ(g_log[1], "update c");
}

TEST_F(SceneManagerTest, WithoutAnySceneUpdateDoesNothing) {
    sm.Update();
    sm.Update();
    EXPECT_EQ(sm.GetCurrentScene(), nullptr);
    EXPECT_EQ(sm.GetNextScene(), nullptr);
    EXPECT_TRUE(g_log.empty());
}

TEST_F(SceneManagerTest, ClickLatchIsKeptAcrossSwitches) {
    EXPECT_FALSE(sm.IsClickLatched());
    sm.SetClickLatched(true);
    sm.SetNextScene(Make("a"));
    sm.Update();
    sm.SetNextScene(Make("b"));
    sm.Update();
    EXPECT_TRUE(sm.IsClickLatched());
    sm.SetClickLatched(false);
    EXPECT_FALSE(sm.IsClickLatched());
}

TEST_F(SceneManagerTest, ClearDeletesCurrentAndPendingScenesOnce) {
    sm.SetNextScene(Make("a"));
    sm.Update();
    sm.SetNextScene(Make("b"));
    g_log.clear();
    sm.Clear();
    std::sort(g_log.begin(), g_log.end());
    EXPECT_EQ(g_log, (std::vector<std::string>{"~a", "~b"}));
    EXPECT_EQ(sm.GetCurrentScene(), nullptr);
    EXPECT_EQ(sm.GetNextScene(), nullptr);
    g_log.clear();
    sm.Clear();
    EXPECT_TRUE(g_log.empty());
}

}  // namespace
