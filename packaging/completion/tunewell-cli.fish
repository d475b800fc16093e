# SPDX-License-Identifier: GPL-3.0-or-later
# fish completion for tunewell-cli

set -l commands list download
complete -c tunewell-cli -f
complete -c tunewell-cli -n "not __fish_seen_subcommand_from $commands" -a list -d 'List the songs of a list page'
complete -c tunewell-cli -n "not __fish_seen_subcommand_from $commands" -a download -d 'Download the ticked songs of a list page'
complete -c tunewell-cli -n "__fish_seen_subcommand_from download" -a all -d 'Every song of the list'
complete -c tunewell-cli -s o -l output -r -a '(__fish_complete_directories)' -d 'Save into this folder for this run'
complete -c tunewell-cli -l save -d 'Store the address and the save folder in Config.ini'
complete -c tunewell-cli -l thunder -d 'Hand the songs to a running aria2c --enable-rpc'
complete -c tunewell-cli -l skip-saved -d 'Leave out the songs saved before'
complete -c tunewell-cli -l tags -d 'Write the title and performer into saved MP3s'
complete -c tunewell-cli -l pages -x -d 'Fetch at most N pages of the list for this run'
complete -c tunewell-cli -s j -l jobs -x -a '1 2 3 4 5 6 7 8' -d 'Download up to N songs at a time'
complete -c tunewell-cli -l retries -x -a '0 1 2 3 4 5 6 7 8 9 10' -d 'Try a song that failed for a passing cause again up to N times'
complete -c tunewell-cli -l limit-rate -x -d 'Limit the whole run to RATE bytes a second (K, M)'
complete -c tunewell-cli -s q -l quiet -d 'Print errors only'
complete -c tunewell-cli -l json -d 'Print one JSON object per song'
complete -c tunewell-cli -s h -l help -d 'Print the usage and exit'
complete -c tunewell-cli -s V -l version -d 'Print the version and exit'
