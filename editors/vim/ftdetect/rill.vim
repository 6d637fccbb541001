" rill programs: files ending in .rill, and scripts whose first line runs rill.
autocmd BufRead,BufNewFile *.rill setfiletype rill
autocmd BufRead,BufNewFile * if getline(1) =~# '^#!.*[/ ]rill\>' | setfiletype rill | endif
