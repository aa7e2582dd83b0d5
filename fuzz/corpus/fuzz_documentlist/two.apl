/home/Ann/a.txt
/home/Ann/B Note.TXT
