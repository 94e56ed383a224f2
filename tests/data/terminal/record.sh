#!/bin/sh
# Records the output of real programs on an 80x25 terminal (TERM=xterm), as
# the differential test of the terminal emulator replays it. Run from this
# directory; needs script (util-linux), vim, less, top and bash.
set -eu
here="$(pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# A file to page and edit: numbered lines, tabs, accents and wide characters.
i=1
while [ $i -le 60 ]; do
  printf 'line %d\tthe quick brown fox caf\303\251 \344\270\255\346\226\207 jumps over the lazy dog %d\n' $i $((i * 7))
  i=$((i + 1))
done > "$work/sample.txt"

# Runs a command on a pseudo-terminal of 80x25 and keeps what it wrote. A
# program that waits for keys is killed after a second, on its screen.
record() {
  name="$1"
  shift
  (cd "$work" && TERM=xterm LC_ALL=C.UTF-8 script -q -e -c "stty rows 25 cols 80; $*" /dev/null) \
    < "${RECORD_INPUT:-/dev/null}" > "$here/$name" 2>/dev/null || true
}

record ls.bin 'ls --color=always -l -C /usr/share/doc | head -40'
record sgr.bin 'for a in 0 1 4 7 22 24 27 30 31 32 33 34 35 36 37 39 40 41 42 43 44 45 46 47 49 90 97 100 107; do printf "\033[${a}m[$a]\033[0m "; done; echo;
  printf "\033[38;5;196mrgb196\033[48;5;21mon21\033[0m \033[38;2;10;200;30mtrue\033[48;2;1;2;3mcolour\033[0m \033[38:5:2mcolon\033[38:2::255:0:0mforms\033[0m\n"'
record top.bin 'top -b -n1 -w 80 | head -30 | cut -c1-80'
printf 'echo hello\nprintf "a\\tb\\tc\\n"\nls /usr\nexit\n' > "$work/commands"
RECORD_INPUT="$work/commands" record bash.bin "env -i TERM=xterm HOME=/ PS1='\[\033[1;32m\]user@host\[\033[0m\]:\[\033[34m\]\w\[\033[0m\]\$ ' bash --norc --noprofile -i"
record vim.bin 'timeout -s KILL 2 vim -u NONE -i NONE -N -c "set number" sample.txt'
record less.bin 'timeout -s KILL 2 less sample.txt'
# Keys typed into a program: vim scrolling line by line and half a screen,
# less paging forward and back and searching.
printf '\005\005\005\004\031\031Ojump\033' > "$work/vim-keys"
RECORD_INPUT="$work/vim-keys" record vim-scroll.bin 'timeout -s KILL 2 vim -u NONE -i NONE -N sample.txt'
printf ' kkkb/fox\r' > "$work/less-keys"
RECORD_INPUT="$work/less-keys" record less-keys.bin 'timeout -s KILL 2 less sample.txt'
record wide.bin 'printf "\344\270\255\346\226\207\tx\te\314\201\n"; printf "%078d\344\270\255z\n" 0; printf "\033(0lqqk\nx  x\nmqqj\033(B\n"; printf "\033[3;10r\033[10;1H\n\n\033[r\033[24;1H"'
ls -l "$here"/*.bin
