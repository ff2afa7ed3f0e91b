# === migration ================================================================
# The old [KeyBoad] MainKey=3 (Alt) becomes MainKeyCode/MainKeyName; every
# other byte stays.

settei_head=$'; ボルマルの設定（古い形式）\n[VolumeBar]\n  ShowTime =  10  \n\n[KeyBoad]\n;メインキー\nMainKeyOnly = 1\n'
settei_keyboad_rest=$'Memo=\t値 ; 注釈 \n'
settei_tail=$'\n[その他]\n名前=ボルマル\n   indented   =  yes  \n'
write_settei "${settei_head}MainKey=3"$'\n'"${settei_keyboad_rest}${settei_tail}"
cp "$settei" "$work/settei-original.ini"
printf '%s' "${settei_head}${settei_keyboad_rest}MainKeyCode=18"$'\n'"MainKeyName=Alt"$'\n'"${settei_tail}" |
  sed 's/$/\r/' | iconv -f UTF-8 -t CP932 >"$work/settei-expected.ini"
xdotool mousemove 300 300
if ! start_app; then
  fail migration "the program did not start"
  fail migration-main-key "the program did not start"
else
  drv wait-window TVolumeBarForm 5000 visible >/dev/null
  sleep 0.3
  cp "$settei" "$work/settei-migrated.ini"
  if cmp -s "$work/settei-migrated.ini" "$work/settei-expected.ini"; then
    pass migration
  else
    fail migration "Settei.ini is not the original with MainKey replaced: $(diff <(iconv -f CP932 -t UTF-8 "$work/settei-expected.ini" | cat -A) <(iconv -f CP932 -t UTF-8 "$work/settei-migrated.ini" | cat -A) | grep '^[<>]' | tr '\n' ' ')"
  fi
  # The migrated key is the one in effect: Alt+Left lowers, 無変換+Left not.
  before=$(wait_volume 100 30)
  xdotool mousemove 300 300
  chord Left
  sleep 0.6
  after_muhenkan=$(volume_text)
  keys keydown Alt_L key Left keyup Alt_L
  after_alt=$(wait_volume 97 20)
  if [ "$before" != 100 ] || [ "$after_muhenkan" != 100 ] || [ "$after_alt" != 97 ]; then
    fail migration-main-key "volume $before, after 無変換+Left $after_muhenkan (want 100), after Alt+Left $after_alt (want 97)"
  else
    pass migration-main-key
  fi
fi
stop_app

