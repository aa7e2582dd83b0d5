/tmp/cafÃ©.txt
/tmp/café.txt