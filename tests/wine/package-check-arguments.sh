# The arguments both package checks take, read into variables (sourced by check-installer.sh and check-zip.sh):
# BUILD_DIR SOURCE_DIR PACKAGE_NAME RUNNER_EXE [editor=EXE] [viewer=EXE]
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
name=$3
runner=$4
shift 4
editor=
viewer=
for option in "$@"; do
  case "$option" in
    editor=*) editor=${option#editor=} ;;
    viewer=*) viewer=${option#viewer=} ;;
    *) echo "unknown option $option"; exit 2 ;;
  esac
done
