print *, 'Hello, world!' ! a trailing comment
print *, 'it''s fine', "say ""end"" now"
print *, "don't stop"
print'(a)', 'end'
write(*,*) 'unclosed string with end and sqrt
x = 1 ! the line after an open string is code again
y = ' ' // '' // ""
z = 'one' 'two' end
q = '"' // "'" // 'a!b#c'
w = ' ' ' ' ' ' ' ' '
