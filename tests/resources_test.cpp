// The resources linked into the program: dialogs and icons exist.
#include <windows.h>

#include <gtest/gtest.h>

#include "resources/resource_ids.h"

namespace {

TEST(Resources, DialogTemplatesAndIconsArePresent) {
    for (int id : {IDD_MAIN, IDD_MD6, IDD_HAVAL, IDD_UPDATE, IDD_ABOUT}) {
        EXPECT_NE(FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5) /* RT_DIALOG */), nullptr) << id;
    }
    for (int id : {IDI_APP, IDI_MATCH, IDI_MISMATCH}) {
        EXPECT_NE(FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */), nullptr)
            << id;
    }
}

}  // namespace
