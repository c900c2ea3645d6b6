// One keystroke in the find bar on the real main window over a filled 50 x 100 grid, from the
// character to the picture on the screen: 5,000 names and targets compared, the tiles whose
// match changed repainted, the selection moved and scrolled to. Its floor: the same comparison
// of the 5,000 tiles in a bare loop, and one repaint of the client. Prints a row of the
// benchmark table.   scripts/bench.sh runs it.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "BenchGrid.h"
#include "app/MainWindow.h"
#include "model/FindMatch.h"
#include "model/Geometry.h"
#include "model/TileGrid.h"
#include "view/FindBar.h"
#include "view/Scroll.h"

// Typed and taken back one character at a time: a part of a target that narrows to ten
// tiles, an extension, a part of a name.
static const wchar_t* const Queries[] = { L"07-05", L"csv", L"3,4 with" };

static double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

static double Slowest(const std::vector<double>& times)
{
    return *std::max_element(times.begin(), times.end());
}

static void Repaint(HWND window)
{
    RedrawWindow(window, NULL, NULL, RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
}

// Every keystroke of the queries, each one's text in the field afterwards.
static std::vector<std::wstring> Keystrokes()
{
    std::vector<std::wstring> texts;
    for (const wchar_t* query : Queries) {
        std::wstring text;
        for (const wchar_t* c = query; *c != 0; c++)
            texts.push_back(text += *c);
        while (!text.empty()) {
            text.pop_back();
            texts.push_back(text);
        }
    }
    return texts;
}

// The scrolled keystrokes in two steps: the character handled (the matches, the selection, the
// view and its scroll bars moved) and the picture painted.
static std::vector<double> scrolledHandled, scrolledPainted;

// Types every keystroke into the field; each one's time goes to kept or to scrolled, after
// whether the view stayed where it was.
static void TypeAll(HWND window, HWND field, std::vector<double>* kept, std::vector<double>* scrolled)
{
    std::wstring before;
    for (const std::wstring& text : Keystrokes()) {
        wchar_t typed = text.size() > before.size() ? text.back() : L'\b';
        before = text;
        int h = ReadScrollPosition(SB_HORZ);
        int v = ReadScrollPosition(SB_VERT);
        double start = NowMs();
        SendMessageW(field, WM_CHAR, typed, 0);
        double handled = NowMs();
        Repaint(window);
        double elapsed = NowMs() - start;
        bool moved = h != ReadScrollPosition(SB_HORZ) || v != ReadScrollPosition(SB_VERT);
        if (kept != NULL)
            (moved ? scrolled : kept)->push_back(elapsed);
        if (kept != NULL && moved) {
            scrolledHandled.push_back(handled - start);
            scrolledPainted.push_back(elapsed - (handled - start));
        }
    }
}

int main()
{
    FillBenchGrid();

    HWND window = ShowBenchMainWindow(SW_SHOW);
    SetForegroundWindow(window);
    RECT client;
    GetClientRect(window, &client);
    Repaint(window);
    SendMessageW(window, WM_CHAR, FindKeyCharacter, 0);
    HWND field = FindBarField(window);
    if (field == NULL) {
        printf("| a keystroke in the find bar | the bar did not open | - | - | - |\n");
        return 1;
    }

    // Twice through (the first starts from another selection), so that the icons of every
    // view the find shows are looked up beforehand.
    TypeAll(window, field, NULL, NULL);
    TypeAll(window, field, NULL, NULL);
    std::vector<double> kept, scrolled;
    for (int run = 0; run < 5; run++)
        TypeAll(window, field, &kept, &scrolled);

    SendMessageW(field, WM_KEYDOWN, VK_ESCAPE, 0);
    Repaint(window);
    std::vector<double> floor;
    volatile int found = 0;   // kept, so that the comparisons are made
    for (int run = 0; run < 5; run++) {
        for (const std::wstring& text : Keystrokes()) {
            double start = NowMs();
            int count = 0;
            for (int row = 1; row <= MaxRows; row++)
                for (int column = 1; column <= MaxColumns; column++)
                    count += TileMatchesFind(TileAt(row, column), text.c_str(), (int)text.size()) ? 1 : 0;
            found = found + count;
            InvalidateRect(window, NULL, FALSE);
            Repaint(window);
            floor.push_back(NowMs() - start);
        }
    }
    printf("| a keystroke in the find bar on 50 x 100 filled tiles, %ld x %ld client, character to picture, "
           "view kept (%zu keystrokes, slowest %.1f ms) | %.1f ms | %.1f ms | %.2fx | < 16 ms |\n",
           client.right, client.bottom, kept.size(), Slowest(kept), Median(kept), Median(floor),
           Median(kept) / Median(floor));
    printf("| the same, the view scrolled to the first match (%zu keystrokes, slowest %.1f ms) | %.1f ms | %.1f ms | "
           "%.2fx | < 16 ms |\n",
           scrolled.size(), Slowest(scrolled), Median(scrolled), Median(floor), Median(scrolled) / Median(floor));
    printf("| its steps: the character handled (matches, selection, view and scroll bar moved; the bar's redraw alone "
           "is in Page Down's steps) %.1f ms, the picture %.1f ms | - | - | - | - |\n",
           Median(scrolledHandled), Median(scrolledPainted));
    // No save on the way out.
    SetWindowLongPtrW(window, GWLP_WNDPROC, (LONG_PTR)DefWindowProcW);
    DestroyWindow(window);
    return 0;
}
