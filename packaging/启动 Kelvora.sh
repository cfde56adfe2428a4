#!/bin/sh
# Starts Kelvora from the folder this script is in. A computer that lacks something the program needs gets
# told what, with the one command that installs it, instead of a program that will not start or stays silent.
here=$(cd "$(dirname "$0")" && pwd)
program="$here/kelvora"
# A folder copied from a FAT stick loses the execute bit.
[ -x "$program" ] || chmod +x "$program" 2>/dev/null

packages=""
need() { packages="$packages $1"; }

libraries=$(ldd "$program" 2>/dev/null | awk '/not found/ {print $1}')
for library in $libraries; do
    case "$library" in
    libQt6Widgets*) need libqt6widgets6 ;;
    libQt6Network*) need libqt6network6 ;;
    libQt6Gui*) need libqt6gui6 ;;
    libQt6Core*) need libqt6core6 ;;
    libquazip1-qt6*) need libquazip1-qt6-1 ;;
    libuchardet*) need libuchardet0 ;;
    libgif*) need libgif7 ;;
    libgst*) need "libgstreamer1.0-0 libgstreamer-plugins-base1.0-0" ;;
    libfontconfig*) need libfontconfig1 ;;
    libX11*) need libx11-6 ;;
    *) need "(${library})" ;;
    esac
done
# The pattern is meant to be expanded.
# shellcheck disable=SC2086
found() { ls $1 >/dev/null 2>&1; }
found "/usr/lib/*/qt6/plugins/platforms/libqxcb.so" || need qt6-qpa-plugins
found "/usr/lib/*/gstreamer-1.0/libgstplayback.so" || need gstreamer1.0-plugins-base
found "/usr/lib/*/gstreamer-1.0/libgstmpg123.so" || need gstreamer1.0-plugins-good
if command -v fc-list >/dev/null 2>&1 && [ -z "$(fc-list :lang=zh-cn family 2>/dev/null)" ]; then
    need "fonts-wqy-zenhei fonts-arphic-ukai fonts-arphic-uming"
fi

if [ -n "$libraries" ]; then
    echo "这台电脑缺少 Kelvora 需要的组件，程序无法启动:"
    # shellcheck disable=SC2086 # one name a line
    printf '  %s\n' $libraries
fi
if [ -n "$packages" ]; then
    echo "请先在终端中运行下面的命令安装缺少的组件（需要管理员密码），再启动 Kelvora:"
    echo "  sudo apt install$packages"
    # Without the libraries nothing starts; without music or fonts the draw still runs, so it goes on.
    [ -n "$libraries" ] && exit 1
    echo
fi
exec "$program" "$@"
