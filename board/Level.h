// One board: its map, blocks, robot, poses, camera and drawing, and the per-frame driver runBoard.
#pragma once

#include <cstdint>

#include "SDL.h"
#include "board/GridPos.h"
#include "board/PartBag.h"
#include "board/Pose.h"
#include "board/TileMap.h"

constexpr int32_t cellSize = 20;
// The scroll window is the screen in cells, whatever view a board was given.
constexpr int32_t scrollW = 40;
constexpr int32_t scrollH = 25;
constexpr int32_t marginX = 20;
constexpr int32_t marginY = 13;
constexpr int poseCount = 9;

// What the rules read and write, apart from the drawing (screen rectangles, camera, marks): the
// cells of the robot's blocks in bag order, then the loose blocks' in bag order, the poses, the
// shake toggle and the goal. Which block stands where does not matter to the rules.
struct BoardState {
    int32_t cells[maxParts]; // linear indexes; those past `blocks` are left unset
    int32_t blocks = 0;
    int32_t robot = 0; // the first `robot` cells are the robot's
    int32_t currentPose = -1;
    int32_t requestedPose = -1;
    bool shakeRight = false;
    bool goalReached = false;

    bool operator==(const BoardState& o) const {
        for (int32_t i = 0; i < blocks; ++i)
            if (cells[i] != o.cells[i]) return false;
        return blocks == o.blocks && robot == o.robot && currentPose == o.currentPose &&
               requestedPose == o.requestedPose && shakeRight == o.shakeRight &&
               goalReached == o.goalReached;
    }
    bool operator!=(const BoardState& o) const { return !(*this == o); }
};

template <int W, int H> class Level {
  public:
    TileMap<W, H> map;
    GridPos parts[maxParts] = {};
    int32_t partCount = 0;
    RobotParts group;
    LooseParts loose;
    Pose poses[poseCount];
    int32_t currentPose = -1;
    int32_t requestedPose = -1;
    bool shakeRight = false;
    bool goalReached = false;
    SDL_Rect screenRects[maxParts] = {};
    SDL_Surface* sprites = nullptr;
    int32_t camX = 0;
    int32_t camY = 0;
    int32_t camPixX = 0;
    int32_t camPixY = 0;
    int32_t viewW = 0;
    int32_t viewH = 0;

    Level(const char* mapText, const char* const* poseTexts, SDL_Surface* sheet, int32_t vw,
          int32_t vh)
        : viewW(vw), viewH(vh) {
        load(mapText, poseTexts);
        sprites = sheet;
        for (int32_t i = 0; i < partCount; ++i)
            screenRects[i] = rectAt((parts[i].x - camX) * cellSize, (parts[i].y - camY) * cellSize);
    }

    // The bags point into parts, so a copy must point into its own parts, not the original's.
    Level(const Level& other) { *this = other; }
    Level& operator=(const Level& other) {
        if (this == &other) return *this;
        map = other.map;
        for (int i = 0; i < maxParts; ++i) parts[i] = other.parts[i];
        partCount = other.partCount;
        group = other.group;
        loose = other.loose;
        rebase(group, other);
        rebase(loose, other);
        for (int i = 0; i < poseCount; ++i) poses[i] = other.poses[i];
        currentPose = other.currentPose;
        requestedPose = other.requestedPose;
        shakeRight = other.shakeRight;
        goalReached = other.goalReached;
        for (int i = 0; i < maxParts; ++i) screenRects[i] = other.screenRects[i];
        sprites = other.sprites;
        camX = other.camX;
        camY = other.camY;
        camPixX = other.camPixX;
        camPixY = other.camPixY;
        viewW = other.viewW;
        viewH = other.viewH;
        return *this;
    }

    void load(const char* mapText, const char* const* poseTexts) {
        shakeRight = false;
        partCount = 0;
        map.setText(mapText);
        for (int k = 0; k < maxParts; ++k) {
            const int32_t i = TileMap<W, H>::find(mapText, labelOf(k));
            if (i == -1) continue;
            parts[partCount].init(TileMap<W, H>::column(i), TileMap<W, H>::row(i), W, H);
            loose.push(&parts[partCount]);
            ++partCount;
        }
        for (int p = 0; p < poseCount; ++p) poses[p].parse(poseTexts ? poseTexts[p] : nullptr);
        currentPose = -1;
        requestedPose = -1;
        goalReached = false;
    }

    // ---- The logical state ----

    BoardState state() const {
        BoardState s;
        for (int32_t j = 0; j < group.size(); ++j) s.cells[s.blocks++] = group.get(j)->index();
        for (int32_t j = 0; j < loose.size(); ++j) s.cells[s.blocks++] = loose.get(j)->index();
        s.robot = group.size();
        s.currentPose = currentPose;
        s.requestedPose = requestedPose;
        s.shakeRight = shakeRight;
        s.goalReached = goalReached;
        return s;
    }

    // Block i takes cell i. Cursors, marks and pose anchors are all set afresh before the rules
    // read them, so they are left as they are.
    void setState(const BoardState& s) {
        for (int32_t i = 0; i < s.blocks; ++i) parts[i].set(s.cells[i] % W, s.cells[i] / W);
        for (int32_t i = 0; i < s.robot; ++i) group.items[i] = &parts[i];
        for (int32_t i = s.robot; i < s.blocks; ++i) loose.items[i - s.robot] = &parts[i];
        group.count = s.robot;
        loose.count = s.blocks - s.robot;
        currentPose = s.currentPose;
        requestedPose = s.requestedPose;
        shakeRight = s.shakeRight;
        goalReached = s.goalReached;
    }

    // ---- Map lookups ----

    char cellChar(int32_t i) const { return map.at(i); }
    // Start labels stay in the text after their blocks leave; the rules see empty ground there.
    char terrain(int32_t i) const {
        const char c = cellChar(i);
        return isLabel(c) ? ' ' : c;
    }
    static bool isLabel(char c) { return (c >= '1' && c <= '9') || (c >= 'A' && c <= 'K'); }
    int32_t cellIndex(int32_t x, int32_t y) const { return y * W + x; }

    // ---- Input and the logical step ----

    void setInput(int32_t direction) { requestPose(direction); }
    void requestPose(int32_t direction) {
        if (direction < 0)
            dissolve();
        else if (direction < poseCount)
            requestedPose = direction;
    }
    bool hasWon() const { return goalReached; }

    void step() {
        group.numberParts();
        loose.clearMarks();

        if (groupCanMove(0, 1)) group.moveAll(0, 1);

        if (applyPose())
            for (int32_t i = 0; i < group.size(); ++i) group.get(i)->mark = '0';

        robotPass();
        loosePass();

        if (attach()) currentPose = -1;
    }

    bool groupCanMove(int32_t dx, int32_t dy) {
        for (group.rewind(); !group.atEnd(); group.next())
            if (terrain(group.current()->indexAt(dx, dy)) != ' ') return false;
        return true;
    }

    void dissolve() {
        while (group.size() > 0) loose.push(group.pop());
        loose.clearMarks();
        currentPose = -1;
        requestedPose = -1;
    }

    // At most one block joins per call: the first loose block touching any robot block.
    bool attach() {
        static const int32_t offsets[4][2] = {{0, -1}, {0, 1}, {-1, 0}, {1, 0}};
        for (loose.rewind(); !loose.atEnd(); loose.next()) {
            const GridPos* l = loose.current();
            for (group.rewind(); !group.atEnd(); group.next()) {
                const GridPos* r = group.current();
                for (const auto& o : offsets) {
                    if (l->indexAt(o[0], o[1]) == r->index()) {
                        group.push(loose.takeCurrent());
                        return true;
                    }
                }
            }
        }
        return false;
    }

    // ---- Poses ----

    bool applyPose() {
        if (currentPose == requestedPose) return false;
        // Holds by the pose rules; guarded so a stray value can never index past poses.
        if (requestedPose < 0 || requestedPose >= poseCount) return false;
        if (!ensureRobot()) {
            requestedPose = currentPose;
            return false;
        }
        Pose& pose = poses[requestedPose];
        const int32_t n = group.size();
        if (!pose.useFirst(n)) return false;
        const GridPos* anchor = group.get(n - 1);
        pose.anchorAt(anchor->x, anchor->y);
        if (!poseCellsFree(pose)) return false;
        group.moveToPose(pose);
        currentPose = requestedPose;
        return true;
    }

    // Seeds alternate between the loose bag's first and last blocks: takeAt(0) swaps the last
    // one to the front and a failed seed goes back to the end.
    bool ensureRobot() {
        if (group.size() > 0) return true;
        for (int32_t tries = 0; tries < loose.size(); ++tries) {
            group.push(loose.takeAt(0));
            if (attach()) return true;
            loose.push(group.pop());
        }
        return false;
    }

    bool poseCellsFree(const Pose& pose) const {
        for (int32_t i = 0; i < pose.activeCount(); ++i)
            if (terrain(cellIndex(pose.placedX(i), pose.placedY(i))) != ' ') return false;
        return true;
    }

    // ---- Animation and camera ----

    bool isSettled() const {
        for (int32_t i = 0; i < partCount; ++i) {
            if (screenRects[i].x != (parts[i].x - camX) * cellSize) return false;
            if (screenRects[i].y != (parts[i].y - camY) * cellSize) return false;
            if (camPixX != camX * cellSize) return false;
            if (camPixY != camY * cellSize) return false;
        }
        return true;
    }

    void animate() {
        const int32_t n = group.size();
        if (n > 0) {
            int32_t sumX = 0;
            int32_t sumY = 0;
            for (int32_t i = 0; i < n; ++i) {
                sumX += group.get(i)->x;
                sumY += group.get(i)->y;
            }
            const int32_t avgX = sumX / n;
            const int32_t avgY = sumY / n;
            camX = avgX < marginX ? 0 : (avgX > W - marginX ? W - scrollW : avgX - marginX);
            camY = avgY < marginY ? 0 : (avgY > H - marginY ? H - scrollH : avgY - marginY);
        }
        if (viewW < scrollW) camX = 0;
        if (viewH < scrollH) camY = 0;

        camPixX += glide(camPixX, camX * cellSize);
        camPixY += glide(camPixY, camY * cellSize);

        for (int32_t i = 0; i < partCount; ++i) {
            SDL_Rect& r = screenRects[i];
            r.x = static_cast<Sint16>(r.x + glide(r.x, parts[i].x * cellSize - camPixX));
            r.y = static_cast<Sint16>(r.y + glide(r.y, parts[i].y * cellSize - camPixY));
        }
    }

    // ---- Drawing ----

    void draw(SDL_Surface* screen, int32_t offX, int32_t offY) const {
        // Without a sheet there is nothing to copy; skip the blits rather than fail each one.
        if (!sprites || !screen) return;
        for (int32_t i = 0; i < viewW; ++i) {
            for (int32_t j = 0; j < viewH; ++j) {
                SDL_Rect src = cellSprite(map.cell(camX + i, camY + j));
                SDL_Rect dst = rectAt(cellSize * i + cellSize * camX - camPixX + offX,
                                      cellSize * j + cellSize * camY - camPixY + offY);
                SDL_UpperBlit(sprites, &src, screen, &dst);
            }
        }
        const int32_t n = group.size();
        for (int32_t i = 0; i < partCount; ++i) {
            SDL_Rect src = blockSprite(i, parts[i].mark, n);
            // The blit clips its destination rectangle, so give it a copy.
            SDL_Rect dst = screenRects[i];
            dst.x = static_cast<Sint16>(dst.x + offX);
            dst.y = static_cast<Sint16>(dst.y + offY);
            SDL_UpperBlit(sprites, &src, screen, &dst);
        }
    }

    SDL_Rect cellSprite(char c) const {
        switch (c) {
        case '#':
            return rectAt(60, 40);
        case '!':
            return rectAt(40, 40);
        case '<':
            return rectAt(20, 40);
        case '>':
            return rectAt(0, 40);
        case '@':
            return rectAt(80, 40);
        default:
            return rectAt(100, 40);
        }
    }

    SDL_Rect blockSprite(int32_t i, char mark, int32_t robotSize) const {
        SDL_Rect src = mark == '0' ? rectAt(cellSize * i, 0) : rectAt(40, 20);
        if (robotSize < 7) {
            if (mark == group.lastMark) src = rectAt(20, 20);
        } else if (mark == group.middleMark) {
            src = rectAt(20, 20);
        } else if (mark == group.beforeMiddleMark) {
            src = rectAt(0, 20);
        }
        return src;
    }

  private:
    static SDL_Rect rectAt(int32_t x, int32_t y) {
        SDL_Rect r;
        r.x = static_cast<Sint16>(x);
        r.y = static_cast<Sint16>(y);
        r.w = cellSize;
        r.h = cellSize;
        return r;
    }
    static int32_t glide(int32_t from, int32_t to) { return from < to ? 1 : (from > to ? -1 : 0); }

    void rebase(PartBag& bag, const Level& other) {
        for (GridPos*& item : bag.items)
            if (item) item = parts + (item - other.parts);
    }

    // Visits robot blocks by its own index: groupCanMove walks the bag's cursor meanwhile.
    void robotPass() {
        for (int32_t i = 0; i < group.size(); ++i) {
            const char below = terrain(group.get(i)->indexAt(0, 1));
            if (below == '!') {
                dissolve();
                requestedPose = -1;
                return;
            }
            if (below == '<' || below == '>') {
                const int32_t dx = below == '<' ? -1 : 1;
                if (groupCanMove(dx, 0)) {
                    group.moveAll(dx, 0);
                    return;
                }
            } else if (below == '@') {
                goalReached = true;
            }
        }
    }

    void loosePass() {
        for (loose.rewind(); !loose.atEnd(); loose.next()) {
            GridPos* b = loose.current();
            switch (cellChar(b->indexAt(0, 1))) {
            case ' ':
                tryMove(b, 0, 1);
                break;
            case '!':
                // One toggle for the whole board, flipped whether or not the block could move.
                tryMove(b, shakeRight ? 1 : -1, 0);
                shakeRight = !shakeRight;
                break;
            case '<':
                tryMove(b, -1, 0);
                break;
            case '>':
                tryMove(b, 1, 0);
                break;
            default:
                break;
            }
        }
    }

    void tryMove(GridPos* b, int32_t dx, int32_t dy) {
        if (terrain(b->indexAt(dx, dy)) == ' ' && !loose.collides(dx, dy)) b->move(dx, dy);
    }
};

// One frame of a board: input, then a step when settled or a frame of glide, then drawing.
template <int W, int H>
bool runBoard(SDL_Surface* screen, Level<W, H>& level, int32_t direction, int32_t offX,
              int32_t offY) {
    level.setInput(direction);
    if (level.isSettled())
        level.step();
    else
        level.animate();
    level.draw(screen, offX, offY);
    return level.hasWon();
}
