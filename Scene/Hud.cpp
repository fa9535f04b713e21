// HUD: texture sets, fade and flash timers, the game overlay and the title
// and result screens' logo, banner and buttons.
#include "Scene/Hud.h"

#include <algorithm>
#include <cmath>

#include "Framework/Graphics/VeTexture.h"
#include "Framework/Platform/FrameTiming.h"
#include "Framework/ResourceCache.h"
#include "Framework/Settings/Settings.h"
#include "Game/AssetPaths.h"
#include "Game/GameWorld.h"
#include "Game/Object/Gun.h"
#include "Game/Object/Player.h"
#include "Game/Stage/Key.h"
#include "Game/Stage/Stage.h"
#include "Scene/ResultScene.h"
#include "Scene/TitleScene.h"

namespace {

using Math::kDegToRad;
constexpr float kButtonY = -250.0f;
constexpr float kButtonHoverScale = 1.2f;
const SpriteRect kFullScreen{0.0f, 0.0f, 1280.0f, 720.0f};
const Vector4 kOpaqueWhite(1.0f, 1.0f, 1.0f, 1.0f);

Matrix At(float x, float y) { return Matrix::CreateTranslation(x, y, 0.0f); }
Matrix ScaledAt(float s, float x, float y) { return Matrix::CreateScale(s, s, 1.0f) * At(x, y); }

}  // namespace

constexpr float Hud::kAmmoCellX[6];

Hud::AmmoCells Hud::ComputeAmmoCells(int magazine, int reserve) {
    const int m = std::clamp(magazine, 0, 99);
    const int r = std::clamp(reserve, 0, 999);
    AmmoCells cells;
    cells.cell[0] = m / 10;
    cells.cell[1] = m % 10;
    cells.cell[2] = kSlashCell;
    cells.cell[3] = r / 100;
    cells.cell[4] = (r % 100) / 10;
    cells.cell[5] = r % 10;
    return cells;
}

bool Hud::IsOverButton(int mx, int my, int width, int height) {
    const float halfW = static_cast<float>(width) * 0.5f;
    const float halfH = static_cast<float>(height) * 0.5f;
    const float x = static_cast<float>(mx);
    const float y = static_cast<float>(my);
    return -halfW < x && x < halfW && kButtonY - halfH < y && y < kButtonY + halfH;
}

void Hud::LoadTextures(Mode mode) {
    namespace texture = asset::texture;
    ResourceCache& cache = ResourceCache::GetInstance();
    textures_.clear();
    mode_ = mode;
    if (mode == Mode::Title) {
        for (const char* path : {texture::kTitleLogo, texture::kStartButton, texture::kTitleBlood})
            textures_.push_back(cache.GetTexture(path));
    } else if (mode == Mode::Game) {
        for (const char* path : {texture::kHp, texture::kAim, texture::kNumber, texture::kKeycard, texture::kHpMark,
                                 texture::kWhite, texture::kReload, texture::kBloodFrame})
            textures_.push_back(cache.GetTexture(path));
        pickUpPrompt_ = cache.GetTexture(texture::kPickUpPrompt);
        usePrompt_ = cache.GetTexture(texture::kUsePrompt);
        endDelay_ = 240;
    } else if (mode == Mode::Result) {
        textures_.push_back(cache.GetTexture(cleared_ ? texture::kClearBanner : texture::kDeadBanner));
        textures_.push_back(cache.GetTexture(texture::kTitleButton));
        textures_.push_back(cache.GetTexture(texture::kWhite));
        fade_ = cleared_ ? 1.0f : 0.0f;
    }
}

void Hud::UpdateGame(const GameWorld& world) {
    const GameState state = world.GetState();
    if (state == GameState::Ending) {
        --endDelay_;
        if (endDelay_ <= 0) {
            endDelay_ = 0;
            fade_ += 0.01f;
        }
    }
    if (state == GameState::Playing && fade_ > 0.0f) {
        fadeColour_ = 0.0f;
        fade_ -= 0.05f;
        if (fade_ < 0.0f) fade_ = 0.0f;
    }
    // The frame's hits all land before this update: the flash is full at the
    // hit and starts fading in the same frame.
    const Player* player = world.GetPlayer();
    if (player && player->GetHitCount() != hitsSeen_) {
        hitsSeen_ = player->GetHitCount();
        SetDamageFlash(1.0f);
    }
    damageFlash_ -= 0.05f;
    if (damageFlash_ < 0.0f) damageFlash_ = 0.0f;
}

void Hud::AnimateGame(const GameWorld& world) {
    // Low-health pulse: runs while the bar shows less than 30 %, judged
    // before this step lowers the bar.
    pulseShown_ = hpShown_ < 0.3f;
    if (pulseShown_) {
        pulseAngle_ += 3;
        if (pulseAngle_ > 360) pulseAngle_ -= 360;
    }

    // The bar follows the real ratio downwards at 0.01 a step; it never
    // rises (the player cannot heal).
    const Player* player = world.GetPlayer();
    if (player && player->GetMaxHp() > 0) {
        const float ratio = static_cast<float>(player->GetHp()) / static_cast<float>(player->GetMaxHp());
        if (hpShown_ > ratio) {
            const float difference = hpShown_ - ratio;
            hpShown_ -= difference < 0.01f ? difference : 0.01f;
        }
    }

    // Reload sign while the magazine is empty, pulsing; shown at the phase
    // it had before this step.
    const Gun* gun = world.GetGun();
    reloadShown_ = gun && gun->GetMagazine() == 0;
    if (reloadShown_) {
        reloadAlpha_ =
            std::min(1.0f, (std::sin(static_cast<float>(reloadAngle_) * kDegToRad) + 1.0f) * 0.5f + 0.3f);
        reloadAngle_ += 5;
        if (reloadAngle_ >= 360) reloadAngle_ -= 360;
    }

    // A held card wobbles while it is in a reader and settles afterwards.
    if (!player) return;
    for (const Key* key : player->GetKeys()) {
        if (!key) continue;
        const int c = key->GetColour();
        if (c < 0 || c > 2) continue;
        if (key->IsInserting()) {
            cardWobble_[c] += 0.5f;
        } else if (cardWobble_[c] > 0.0f) {
            cardWobble_[c] -= 0.5f;
        } else {
            cardWobble_[c] = 0.0f;
        }
    }
}

bool Hud::ButtonHovered(int mx, int my) const {
    if (mode_ == Mode::Title) return OverButton(Texture(kTexStartButton), mx, my);
    if (mode_ == Mode::Result) return OverButton(Texture(kTexTitleButton), mx, my);
    return false;
}

void Hud::UpdateResult() {
    fade_ += 0.005f;
    if (fade_ > 1.0f) fade_ = 1.0f;
}

SpriteRect Hud::Whole(const VeTexture* texture) {
    if (!texture) return SpriteRect{};
    return SpriteRect{0.0f, 0.0f, static_cast<float>(texture->GetWidth()), static_cast<float>(texture->GetHeight())};
}

void Hud::Sprite(const VeTexture* texture, const Matrix& transform, const SpriteRect& source, const Vector4& colour,
                 Vector2 pivot) {
    DrawnSprite sprite;
    sprite.texture = texture;
    sprite.transform = transform;
    sprite.width = source.width;
    sprite.height = source.height;
    sprite.source = source;
    sprite.colour = colour;
    sprite.pivot = pivot;
    drawn_.push_back(sprite);

    ShaderManager& shaders = ShaderManager::GetInstance();
    shaders.SetTransform(transform);
    shaders.DrawTexture(texture, 0.0f, 0.0f, source.width, source.height, &source, &colour, pivot);
}

bool Hud::OverButton(const VeTexture* texture, int mx, int my) {
    const SpriteRect whole = Whole(texture);
    const bool hasPicture = texture != nullptr && texture->IsValid();
    const int width = hasPicture ? static_cast<int>(whole.width) : kButtonWidth;
    const int height = hasPicture ? static_cast<int>(whole.height) : kButtonHeight;
    return IsOverButton(mx, my, width, height);
}

void Hud::DrawButton(const VeTexture* texture, int mx, int my) {
    const Matrix transform = OverButton(texture, mx, my) ? ScaledAt(kButtonHoverScale, 0.0f, kButtonY)
                                                         : At(0.0f, kButtonY);
    Sprite(texture, transform, Whole(texture), kOpaqueWhite);
}

// ---- game overlay

void Hud::DrawPrompts(const GameWorld& world) {
    const Stage* stage = world.GetStage();
    if (!stage) return;
    const Render::Camera& camera = world.GetCamera();
    const Matrix viewProjection = camera.view * camera.projection;
    const Player* player = world.GetPlayer();
    const int floor = player ? player->GetCurrentFloor() : 0;
    for (Object* object : stage->GetObjects()) {
        if (!object || !object->IsHighlighted()) continue;
        // Objects of another floor are not updated and keep whatever flag
        // they had when the player left: no prompt for them.
        if (object->GetFloor() != floor) continue;
        // In front of the camera: the projected depth is below 1 (behind the
        // eye the clip w is not positive and there is no depth to speak of).
        const Vector3 p = object->GetPosition();
        const Vector4 clip = Vector4::Transform(Vector4(p.x, p.y, p.z, 1.0f), viewProjection);
        if (!(clip.w > 0.0f) || !(clip.z / clip.w < 1.0f)) continue;
        const VeTexture* prompt = nullptr;
        switch (object->GetKind()) {
            case kKindKey:
            case kKindBulletBox: prompt = pickUpPrompt_; break;
            case kKindKeyReader: prompt = usePrompt_; break;
            default: break;
        }
        if (!prompt) continue;
        Sprite(prompt, At(0.0f, 100.0f), SpriteRect{0.0f, 0.0f, 128.0f, 128.0f}, Vector4(1.0f, 1.0f, 1.0f, 0.8f));
    }
}

void Hud::DrawHealth() {
    const VeTexture* blood = Texture(kTexBloodFrame);
    if (damageFlash_ > 0.0f) Sprite(blood, Matrix(), kFullScreen, Vector4(1.0f, 1.0f, 1.0f, damageFlash_));
    if (pulseShown_) {
        const float alpha = std::sin(static_cast<float>(pulseAngle_) * kDegToRad) / 3.0f + 0.5f;
        Sprite(blood, Matrix(), kFullScreen, Vector4(1.0f, 1.0f, 1.0f, alpha));
    }

    Sprite(Texture(kTexHpMark), At(-600.0f, -320.0f), SpriteRect{0.0f, 0.0f, 30.0f, 30.0f},
           Vector4(1.0f, 1.0f, 1.0f, 0.8f));
    const VeTexture* white = Texture(kTexWhite);
    Sprite(white, At(-580.0f, -320.0f), SpriteRect{0.0f, 0.0f, 300.0f, 10.0f}, Vector4(0.0f, 0.0f, 0.0f, 1.0f),
           Vector2(0.0f, 0.5f));
    const int width = static_cast<int>(hpShown_ * 300.0f);
    Sprite(white, At(-580.0f, -320.0f), SpriteRect{0.0f, 0.0f, static_cast<float>(width), 10.0f},
           Vector4(1.0f - hpShown_, hpShown_, 0.0f, 0.7f), Vector2(0.0f, 0.5f));
}

void Hud::DrawAmmunition(const GameWorld& world) {
    const Gun* gun = world.GetGun();
    const Player* player = world.GetPlayer();
    const int magazine = gun ? gun->GetMagazine() : 0;
    const int reserve = player ? player->GetReserveAmmo() : 0;

    if (reloadShown_) {
        const VeTexture* reload = Texture(kTexReload);
        Sprite(reload, ScaledAt(0.5f, 0.0f, -40.0f), Whole(reload), Vector4(1.0f, 1.0f, 1.0f, reloadAlpha_));
    }

    const AmmoCells cells = ComputeAmmoCells(magazine, reserve);
    const VeTexture* number = Texture(kTexNumber);
    for (int i = 0; i < 6; ++i) {
        const SpriteRect source{static_cast<float>(kDigitWidth * cells.cell[i]), 0.0f,
                                static_cast<float>(kDigitWidth), static_cast<float>(kDigitHeight)};
        Sprite(number, At(kAmmoCellX[i], kAmmoY), source, Vector4(1.0f, 1.0f, 1.0f, 0.8f));
    }
}

void Hud::DrawKeyCards(const GameWorld& world) {
    const Player* player = world.GetPlayer();
    if (!player) return;
    const VeTexture* keycard = Texture(kTexKeycard);
    for (const Key* key : player->GetKeys()) {
        if (!key) continue;
        const int c = key->GetColour();
        if (c < 0 || c > 2) continue;  // a card without a colour has no picture
        const float angle = std::sin(cardWobble_[c]) * 10.0f * kDegToRad;
        const Matrix transform = Matrix::CreateScale(0.1f, 0.1f, 0.1f) * Matrix::CreateRotationZ(angle) *
                                 At(480.0f + 50.0f * static_cast<float>(c), 315.0f);
        Sprite(keycard, transform, SpriteRect{640.0f * static_cast<float>(c), 0.0f, 640.0f, 1080.0f},
               kOpaqueWhite);
    }
}

std::vector<int> Hud::FrameRateCells(int perSecond) {
    const int value = std::clamp(perSecond, 0, 999);
    std::vector<int> cells;
    if (value >= 100) cells.push_back(value / 100);
    if (value >= 10) cells.push_back(value / 10 % 10);
    cells.push_back(value % 10);
    return cells;
}

void Hud::DrawFrameRate() {
    if (!SettingsStore::GetInstance().Current().showFps) return;
    const std::vector<int> cells = FrameRateCells(Platform::GetFrameRateMeter().PerSecond());
    // A dark plate keeps the digits readable on the bright fade and walls.
    Sprite(Texture(kTexWhite), At(kFrameRateX - 10.0f, kFrameRateY),
           SpriteRect{0.0f, 0.0f, 3.0f * kDigitWidth + 20.0f, kDigitHeight + 6.0f}, Vector4(0.0f, 0.0f, 0.0f, 0.5f),
           Vector2(0.0f, 0.5f));
    const VeTexture* number = Texture(kTexNumber);
    for (size_t i = 0; i < cells.size(); ++i) {
        const SpriteRect source{static_cast<float>(kDigitWidth * cells[i]), 0.0f, static_cast<float>(kDigitWidth),
                                static_cast<float>(kDigitHeight)};
        Sprite(number, At(kFrameRateX + kDigitWidth * (0.5f + static_cast<float>(i)), kFrameRateY), source,
               Vector4(1.0f, 0.9f, 0.3f, 1.0f));
    }
}

void Hud::DrawGame(const GameWorld& world) {
    drawn_.clear();
    DrawPrompts(world);
    DrawHealth();
    Sprite(Texture(kTexAim), Matrix(), SpriteRect{0.0f, 0.0f, 100.0f, 100.0f}, kOpaqueWhite);
    DrawAmmunition(world);
    DrawKeyCards(world);
    if (fade_ > 0.0f)
        Sprite(Texture(kTexWhite), Matrix(), kFullScreen, Vector4(fadeColour_, fadeColour_, fadeColour_, fade_));
    DrawFrameRate();
}

// ---- title and result screens

void Hud::DrawTitle(TitleScene* scene) {
    drawn_.clear();
    const VeTexture* logo = Texture(kTexTitleLogo);
    Sprite(logo, ScaledAt(0.2f, 0.0f, 150.0f), Whole(logo), kOpaqueWhite);
    if (!scene) return;
    DrawButton(Texture(kTexStartButton), scene->GetCursorX(), scene->GetCursorY());
}

void Hud::DrawResult(ResultScene* scene) {
    drawn_.clear();
    if (!cleared_) Sprite(Texture(kTexResultWhite), Matrix(), kFullScreen, Vector4(0.0f, 0.0f, 0.0f, 1.0f));
    const VeTexture* banner = Texture(kTexBanner);
    Sprite(banner, At(0.0f, cleared_ ? 250.0f : 100.0f), Whole(banner), Vector4(1.0f, 1.0f, 1.0f, fade_));
    // The button only once the banner is fully shown.
    if (fade_ >= 1.0f && scene) DrawButton(Texture(kTexTitleButton), scene->GetCursorX(), scene->GetCursorY());
}
