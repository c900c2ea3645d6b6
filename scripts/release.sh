#!/usr/bin/env bash
# Builds the release of the commit checked out into dist/: Vantrel-<version>-win64.zip (Vantrel.exe,
# README.txt, LICENSE), Vantrel.exe as it lies in the archive, and SHA256SUMS of both.
#     scripts/release.sh           one build
#     scripts/release.sh --check   two builds, one after the other, in two folders, in two time zones and
#                                  with another umask; dist/ is written only if both give the same bytes
# The build starts from a fresh clone of HEAD in a temporary folder (uncommitted changes are left
# out), with SOURCE_DATE_EPOCH at the commit's time, and never touches build/. It takes the build
# lock itself around each build: do not run it under flock /tmp/vt-build.lock, which would wait on
# itself.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
lock=/tmp/vt-build.lock

check=0
case "${1:-}" in
    --check) check=1 ;;
    "") ;;
    *) echo "usage: scripts/release.sh [--check]" >&2; exit 2 ;;
esac

"$root/scripts/install-deps.sh" git
commit=$(git -C "$root" rev-parse HEAD)
if [ -n "$(git -C "$root" status --porcelain --untracked-files=no)" ]; then
    echo "Uncommitted changes are left out: this is the release of commit $commit." >&2
fi
export SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct "$commit")

work=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-release.XXXXXX")
keep=0
trap '[ $keep -eq 1 ] || rm -rf "$work"' EXIT

# release FOLDER: clones the commit into FOLDER/src, builds it in FOLDER/build and packs FOLDER/out.
release() {
    local folder="$1"
    git clone --quiet --no-checkout "$root" "$folder/src"
    git -C "$folder/src" checkout --quiet --detach "$commit"
    flock "$lock" bash -c '
        set -euo pipefail
        cmake -S "$1/src" -B "$1/build" -DCMAKE_TOOLCHAIN_FILE="$1/src/cmake/mingw-w64.cmake" \
            -DCMAKE_BUILD_TYPE=Release -DVANTREL_BUILD_TESTS=OFF >/dev/null
        cmake --build "$1/build" --target Vantrel -j"$(nproc)" >/dev/null' _ "$folder"
    local version
    version=$(sed -n 's/^#define VANTREL_VERSION_TEXT "\(.*\)"$/\1/p' "$folder/build/generated/BuildVersion.h")
    mkdir "$folder/out"
    cp "$folder/build/Vantrel.exe" "$folder/out/"
    python3 "$folder/src/scripts/release_zip.py" "$folder/out/Vantrel-$version-win64.zip" "$version" \
        "$folder/build/Vantrel.exe" "$folder/src"
    (cd "$folder/out" && sha256sum "Vantrel-$version-win64.zip" Vantrel.exe >SHA256SUMS)
}

echo "Building commit $commit (SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH) in $work/first"
release "$work/first"
if [ $check -eq 1 ]; then
    # Anything that leaked the folder, the clock, the zone or the umask into the bytes shows here.
    sleep 2
    echo "Building it again in $work/second-build-in-a-longer-folder"
    (umask 077 && TZ=UTC-14 LC_ALL=C release "$work/second-build-in-a-longer-folder")
    echo "first build:"
    cat "$work/first/out/SHA256SUMS"
    echo "second build:"
    cat "$work/second-build-in-a-longer-folder/out/SHA256SUMS"
    if ! diff -r "$work/first/out" "$work/second-build-in-a-longer-folder/out" >/dev/null; then
        keep=1
        echo "The two builds differ; both are left in $work for comparison." >&2
        exit 1
    fi
    echo "The two builds are byte for byte the same."
fi

rm -rf "$root/dist"
cp -r "$work/first/out" "$root/dist"
echo "Release in $root/dist:"
(cd "$root/dist" && ls -l && sha256sum -c SHA256SUMS)
