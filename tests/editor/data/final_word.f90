program last

   
  stop
end